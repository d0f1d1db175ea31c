#include "platform/Failure.h"

#include "platform/MessageBox.h"

namespace platform {

RuntimeError::RuntimeError(const QString& reason)
    : std::runtime_error(reason.toStdString())
{
}

QString RuntimeError::reason() const
{
    return QString::fromStdString(what());
}

int runSkippingFailures(std::initializer_list<Step> steps)
{
    int failures = 0;
    for (const Step& step : steps) {
        try {
            step();
        } catch (const std::exception&) {
            ++failures;
        }
    }
    return failures;
}

bool runReportingFailure(MessageBox& messageBox, QWidget* owner, const Step& handler)
{
    QString reason;
    try {
        handler();
        return true;
    } catch (const std::exception& error) {
        reason = QString::fromStdString(error.what());
    }
    messageBox.show(owner, QStringLiteral("Run-time error\n\n%1").arg(reason), QString::fromLatin1(kProgramTitle),
                    MsgButtons::Ok, MsgIcon::Critical);
    return false;
}

} // namespace platform
