#pragma once

// The main window: the movie browser on the left, the movie on the right,
// status labels and picture buttons around them, and the menus. Controls
// carry the names the rest of the program knows them by, and behaviour
// lives in handlers named after the control and the event.

#include <QMainWindow>
#include <QTimer>

#include <memory>

class QAction;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;

namespace html {
struct PageResult;
}
namespace flash {
class ShockwaveFlash;
}
namespace platform {
class CommonDialogControl;
struct Platform;
}

namespace app {

class DirListBox;
class DriveListBox;
class FileListBox;
class ImageControl;
class MoviePreviews;
class StatusLabel;

class Form1 : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "T V K version :1.1 ";
    static constexpr const char* kDesignCountCaption = "0 Movies Found";
    static constexpr const char* kCountSuffix = "   Movies Found";
    // The window's back colour, 0x00BBGGRR.
    static constexpr unsigned kBackColour = 0x00FF8080;

    explicit Form1(platform::Platform& platform, QWidget* parent = nullptr);
    ~Form1() override;

    // Shows the window centred on the screen.
    void showCentered();

    // The movie named when the program was started: a file plays as if
    // picked in the browser, which opens at its folder; an address plays as
    // if opened; a folder is only browsed to.
    void openFromCommandLine(const QString& movie);

    // Browser
    DriveListBox* Drive1 = nullptr;
    DirListBox* Dir1 = nullptr;
    FileListBox* File1 = nullptr;
    QLineEdit* Text1 = nullptr;
    flash::ShockwaveFlash* ShockwaveFlash1 = nullptr;
    QWidget* Picture1 = nullptr;

    // Status labels
    StatusLabel* Label1 = nullptr;
    StatusLabel* Label2 = nullptr;
    StatusLabel* LabeL10 = nullptr;
    StatusLabel* Label4 = nullptr;

    // Storage below the client area
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLineEdit* Text3 = nullptr;
    QLineEdit* Text4 = nullptr;
    QLineEdit* Text5 = nullptr;
    QLineEdit* Text6 = nullptr;
    QLineEdit* Text7 = nullptr;
    QLineEdit* Text8 = nullptr;
    QListWidget* List1 = nullptr;
    QPushButton* Command1 = nullptr;
    FileListBox* File2 = nullptr;

    // Pictures
    ImageControl* Image1 = nullptr;
    ImageControl* Image2 = nullptr;
    ImageControl* Image3 = nullptr;
    ImageControl* Image4 = nullptr;
    ImageControl* Image5 = nullptr;
    ImageControl* Image6 = nullptr;
    ImageControl* Image7 = nullptr;
    ImageControl* Image8 = nullptr;
    ImageControl* Image9 = nullptr;
    ImageControl* Image10 = nullptr;
    ImageControl* Image11 = nullptr;
    ImageControl* Image12 = nullptr;
    ImageControl* Image13 = nullptr;
    ImageControl* Image14 = nullptr;
    ImageControl* Image15 = nullptr;

    // The Open command's dialog; it keeps its file name while the window lives.
    std::unique_ptr<platform::CommonDialogControl> cmd;

    // Timers
    QTimer Timer1;
    QTimer Timer2;
    QTimer Timer3;
    QTimer Timer4;
    QTimer Timer5;

    // Menus and their items
    QMenu* file = nullptr;
    QAction* op = nullptr;
    QAction* su = nullptr;
    QAction* clos = nullptr;
    QAction* prop = nullptr;
    QAction* minfo = nullptr;
    QAction* ext = nullptr;
    QMenu* vw = nullptr;
    QAction* play = nullptr;
    QAction* stp = nullptr;
    QAction* bg = nullptr;
    QAction* HM = nullptr;
    QAction* sm = nullptr;
    QAction* fv = nullptr;
    QMenu* tls = nullptr;
    QAction* GH = nullptr;
    QAction* eswf = nullptr;
    QMenu* hp = nullptr;
    QAction* cfl = nullptr;
    QAction* ab = nullptr;
    QAction* ks = nullptr;

    // The temporary Internet files folder, or the empty text when it cannot be read.
    QString iNetCache() const;

public slots:
    void Form_Load();
    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
    void play_Click();
    void stp_Click();
    void Image2_Click();
    void Image4_Click();
    void ext_Click();

    // Opening movies
    void op_Click();
    void su_Click();
    void clos_Click();

    // The page generator
    void prop_Click();
    void GH_Click();
    void Command1_Click();

    // View and help commands
    void bg_Click();
    void fv_Click();
    void HM_Click();
    void sm_Click();
    void eswf_Click();
    void ab_Click();
    void cfl_Click();
    void ks_Click();
    void Image1_MouseMove();
    void Image3_MouseMove();
    void Image6_MouseMove();
    void Image8_MouseMove();
    void Image10_MouseMove();

    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
    void Timer4_Timer();
    void Timer5_Timer();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static void Form_Initialize();
    void playOpened(const QString& movie);
    void browseTo(const QString& folder);
    void createControls();
    void createPictures();
    void createStorage();
    void createMenus();
    void createTimers();
    void connectHandlers();
    QString countCaption() const;
    html::PageResult GeneratePage();

    platform::Platform& m_platform;
    // The facts and pictures File1 shows of a movie under the pointer.
    MoviePreviews* m_previews = nullptr;
    bool m_choosingColour = false;
};

} // namespace app
