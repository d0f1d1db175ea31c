#pragma once

// A print job a movie's script opened, over the desktop's printer: the
// engine's spool in the printer's terms.

#include <functional>
#include <memory>

#include <QString>

#include "platform/Printer.h"
#include "swf/script/PrintSpool.h"

namespace flash {

class MoviePrintJob final : public swf::script::PrintSpool {
public:
    // `failed` hears why the printer did not take the job.
    MoviePrintJob(std::unique_ptr<platform::PrinterJob> job, std::function<void(const QString&)> failed);

    swf::script::PrintPaper paper() const override;
    bool addPage(const QImage& pixels, double width, double height) override;
    bool send() override;

private:
    std::unique_ptr<platform::PrinterJob> m_job;
    std::function<void(const QString&)> m_failed;
};

} // namespace flash
