#include "platform/Printer.h"

#include <QImage>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace platform {

bool QtPrinter::printPage(const QImage& page, const QString& title, QWidget* parent, QString& error)
{
    error.clear();
    if (page.isNull()) {
        error = QStringLiteral("There is nothing to print.");
        return false;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(title);
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    QPainter painter;
    if (!painter.begin(&printer)) {
        error = QStringLiteral("The printer could not be started.");
        return false;
    }
    const QRect area = painter.viewport();
    QSize size = page.size();
    size.scale(area.size(), Qt::KeepAspectRatio);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(area.topLeft(), size), page);
    if (!painter.end()) {
        error = QStringLiteral("The page could not be sent to the printer.");
        return false;
    }
    return true;
}

namespace {

// Pages are painted onto the printer as they come, so that a long job
// holds one page at a time; the printer's output goes out when the
// painting ends, and an unsent job is aborted.
class QtPrinterJob final : public PrinterJob {
public:
    explicit QtPrinterJob(std::unique_ptr<QPrinter> printer)
        : m_printer(std::move(printer))
    {
    }

    ~QtPrinterJob() override
    {
        if (m_painter.isActive()) {
            m_printer->abort();
            m_painter.end();
        }
    }

    PrintPaper paper() const override
    {
        return {m_printer->paperRect(QPrinter::Point).size(), m_printer->pageRect(QPrinter::Point).size(),
                m_printer->pageLayout().orientation() == QPageLayout::Landscape};
    }

    bool addPage(const QImage& page, QSizeF size) override
    {
        if (page.isNull() || m_sent)
            return false;
        if (!m_painter.isActive()) {
            if (!m_painter.begin(m_printer.get()))
                return false;
        } else if (!m_printer->newPage()) {
            return false;
        }
        const double dotsPerPoint = m_printer->resolution() / 72.0;
        m_painter.setRenderHint(QPainter::SmoothPixmapTransform);
        m_painter.drawImage(QRectF(QPointF(0, 0), size * dotsPerPoint), page);
        return true;
    }

    bool send(QString& error) override
    {
        error.clear();
        m_sent = true;
        if (m_painter.isActive() && !m_painter.end()) {
            error = QStringLiteral("The pages could not be sent to the printer.");
            return false;
        }
        return true;
    }

private:
    std::unique_ptr<QPrinter> m_printer;
    QPainter m_painter;
    bool m_sent = false;
};

} // namespace

std::unique_ptr<PrinterJob> QtPrinter::beginJob(const QString& title, QWidget* parent, QString& error)
{
    error.clear();
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setDocName(title);
    QPrintDialog dialog(printer.get(), parent);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    return std::make_unique<QtPrinterJob>(std::move(printer));
}

} // namespace platform
