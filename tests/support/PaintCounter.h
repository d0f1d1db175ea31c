#pragma once

// Counts the paint events a widget receives, as an event filter on it.

#include <QEvent>
#include <QObject>

namespace swftest {

class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace swftest
