#include "flash/MovieClipboard.h"

#include <utility>

namespace flash {

MovieClipboard::MovieClipboard(std::function<platform::Clipboard*()> desktop)
    : m_desktop(std::move(desktop))
{
}

QString MovieClipboard::text() const
{
    const platform::Clipboard* desktop = m_desktop ? m_desktop() : nullptr;
    return desktop ? desktop->text() : m_own.text();
}

void MovieClipboard::setText(const QString& text)
{
    if (platform::Clipboard* desktop = m_desktop ? m_desktop() : nullptr)
        desktop->setText(text);
    else
        m_own.setText(text);
}

} // namespace flash
