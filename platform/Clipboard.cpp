#include "platform/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace platform {

QString QtClipboard::text() const
{
    // No application, no clipboard (a tool run without a display).
    const QClipboard* clipboard = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
    return clipboard ? clipboard->text() : QString();
}

void QtClipboard::setText(const QString& text)
{
    if (QClipboard* clipboard = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr)
        clipboard->setText(text);
}

} // namespace platform
