#include "flash/MoviePrintJob.h"

#include <QImage>

namespace flash {

MoviePrintJob::MoviePrintJob(std::unique_ptr<platform::PrinterJob> job, std::function<void(const QString&)> failed)
    : m_job(std::move(job))
    , m_failed(std::move(failed))
{
}

swf::script::PrintPaper MoviePrintJob::paper() const
{
    const platform::PrintPaper paper = m_job->paper();
    return {paper.paper.width(), paper.paper.height(), paper.page.width(), paper.page.height(), paper.landscape};
}

bool MoviePrintJob::addPage(const QImage& pixels, double width, double height)
{
    return m_job->addPage(pixels, QSizeF(width, height));
}

bool MoviePrintJob::send()
{
    QString error;
    if (m_job->send(error))
        return true;
    if (m_failed && !error.isEmpty())
        m_failed(error);
    return false;
}

} // namespace flash
