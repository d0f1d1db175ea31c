#include "app/StatusLabel.h"

#include <algorithm>

namespace app {

void StatusLabel::setText(const QString& text)
{
    if (text == this->text())
        return;
    QLabel::setText(text);
    const int needed = fontMetrics().horizontalAdvance(text) + 2;
    const int width = std::max(m_designWidth, needed);
    if (width != this->width())
        resize(width, height());
}

} // namespace app
