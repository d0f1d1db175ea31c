#include "platform/Shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace platform {

bool QtShell::open(const QString& target)
{
    const QUrl url = QUrl::fromUserInput(target);
    return url.isValid() && QDesktopServices::openUrl(url);
}

} // namespace platform
