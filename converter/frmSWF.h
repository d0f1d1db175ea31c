#pragma once

#include <QWidget>

#include "platform/CommonDialogControl.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace platform {
struct Platform;
}

namespace converter {

// The converter window: pick a projector and a SWF file name, convert.
// Its controls are public, as a form's are, so that tests can drive it.
class frmSWF final : public QWidget {
    Q_OBJECT

public:
    // Needs the platform's message box, file dialogs and clock.
    frmSWF(platform::Platform& platform, QWidget* owner);

    // The one converter window: built centred when there is none, otherwise
    // the open one brought forward. Closing destroys it.
    static frmSWF* showSingle(platform::Platform& platform, QWidget* owner);
    // The open converter window, if any.
    static frmSWF* single();

    void cmdSelectEXEFile_Click();
    void cmdSelectSWFFile_Click();
    void cmdParse_Click();

    // The folder part of a path; empty when it has no separator.
    static QString GetFilePath(const QString& strFile);

    QLabel* lblCaption[2] = {};
    QLineEdit* txtEXEPath = nullptr;
    QPushButton* cmdSelectEXEFile = nullptr;
    QLineEdit* txtSWFPath = nullptr;
    QPushButton* cmdSelectSWFFile = nullptr;
    QPushButton* cmdParse = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QPlainTextEdit* txtContent = nullptr;
    platform::CommonDialogControl cdlg;

private:
    void buildControls();
    void centreOnScreen();
    void stopMessage(const QString& text);

    platform::Platform& m_platform;
};

} // namespace converter
