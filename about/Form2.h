#pragma once

// The about window: the program's picture, name and version, a notice, and
// a link to the maker's home page. While it is loaded the main window is
// disabled, so the person closes it before going on.

#include <QPointer>
#include <QWidget>

class QLabel;
class QPushButton;

namespace platform {
struct Platform;
}

namespace about {

class Form2 final : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kMakerLine = "Brindlewick Software";
    static constexpr const char* kLegalNotice = "Copyright (C) Brindlewick. All rights reserved.";
    // The link's colour, 0x00BBGGRR.
    static constexpr unsigned kLinkColour = 0x00FF0000;

    // Needs the platform's shell. mainWindow is disabled from now until the
    // window is closed or destroyed.
    Form2(platform::Platform& platform, QWidget* mainWindow);
    ~Form2() override;

    // The one about window: built centred on mainWindow when there is none,
    // otherwise the open one brought forward. Closing destroys it.
    static Form2* showSingle(platform::Platform& platform, QWidget* mainWindow);
    // The open about window, if any.
    static Form2* single();

    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QPushButton* Command1 = nullptr;

public slots:
    void Form_Load();
    void Form_Unload();
    void Form_MouseMove();
    void Label1_MouseMove();
    void Label1_Click();
    void Command1_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static void Form_Initialize();
    void buildControls();
    void centreOnOwner();
    void setLinkUnderlined(bool underlined);
    void enableMainWindow();

    platform::Platform& m_platform;
    QPointer<QWidget> m_mainWindow;
    bool m_pressedOnLink = false;
};

} // namespace about
