#pragma once

#include <QLabel>

namespace app {

// A status label keeps its designed place and height but widens to show its
// whole text: the designed widths were measured for fonts this desktop may
// not have, and a clipped frame count helps nobody.
class StatusLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    // Hides QLabel::setText on purpose: every write goes through the width check.
    void setText(const QString& text);
    void setDesignWidth(int pixels) { m_designWidth = pixels; }

private:
    int m_designWidth = 0;
};

} // namespace app
