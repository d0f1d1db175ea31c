#pragma once

#include <QLabel>

namespace app {

// A picture on the window: shows its bitmap at its own size and reports
// clicks and the mouse passing over it.
class ImageControl : public QLabel {
    Q_OBJECT
public:
    explicit ImageControl(const QPixmap& picture, QWidget* parent = nullptr);

signals:
    void Click();
    void MouseMove();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
};

} // namespace app
