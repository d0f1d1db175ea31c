#pragma once

// The full-screen player: a maximised window that plays the movie the main
// window left in the settings store, and hands back to a fresh main window
// when it closes. It takes nothing from the main window directly.

#include <functional>

#include <QWidget>

class QLineEdit;

namespace flash {
class ShockwaveFlash;
}
namespace platform {
struct Platform;
}

namespace fullscreen {

class Form3 final : public QWidget {
    Q_OBJECT
public:
    // Reads the stored path through the platform's store. onUnload runs
    // once, when the window closes; it is expected to show the main window
    // before returning, so that closing this one does not end the program.
    Form3(platform::Platform& platform, std::function<void()> onUnload);

    // The one full-screen window, built when there is none, shown maximised.
    // Closing destroys it.
    static Form3* showSingle(platform::Platform& platform, std::function<void()> onUnload);
    static Form3* single();

    flash::ShockwaveFlash* Flash1 = nullptr;
    QLineEdit* Text1 = nullptr;

public slots:
    void Form_Load();
    void Form_Resize();
    void Form_Unload();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // A movie dropped here plays here, in place of the one playing.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void fitMovieHeight();
    void fitMovieWidth();
    QString storedPath() const;

    platform::Platform& m_platform;
    std::function<void()> m_onUnload;
    bool m_unloaded = false;
};

} // namespace fullscreen
