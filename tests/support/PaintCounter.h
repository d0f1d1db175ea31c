#pragma once

// Counts the paint events a widget receives, and where they paint, as an
// event filter on it.

#include <QEvent>
#include <QObject>
#include <QPaintEvent>
#include <QRegion>

namespace swftest {

class PaintCounter : public QObject {
public:
    int paints = 0;
    QRegion painted;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
            painted += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }
};

} // namespace swftest
