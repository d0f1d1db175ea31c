#include "converter/frmSWF.h"

#include <algorithm>
#include <cstdint>

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

#include "converter/ConversionText.h"
#include "converter/SameFile.h"
#include "converter/cStorage.h"
#include "dialogs/cFileDlg.h"
#include "dialogs/cFilters.h"
#include "platform/Failure.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/Twips.h"

namespace converter {

namespace {

const QString kMessageTitle = QStringLiteral("converter");

QPointer<frmSWF>& singleWindow()
{
    static QPointer<frmSWF> window;
    return window;
}

// The projector's path is shown in capitals. Where the file system tells
// case apart, capitals would name another file and the conversion would
// fail, so there they are used only when they still reach the same file.
QString projectorPathShown(const QString& chosen)
{
    const QString upper = chosen.toUpper();
#ifdef Q_OS_WIN
    return upper;
#else
    return upper == chosen || namesSameFile(chosen, upper) ? upper : chosen;
#endif
}

QFont captionFont()
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(8.25);
    return font;
}

// A label that sizes itself to its caption.
void setAutoSizedText(QLabel* label, const QString& text)
{
    label->setText(text);
    label->adjustSize();
}

// The conversion holds the whole program until it ends; say so.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

frmSWF::frmSWF(platform::Platform& platform, QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint)
    , cdlg(*platform.fileDialogs, this)
    , m_platform(platform)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Exe To Swf"));
    resize(platform::twipsToPixels(5370), platform::twipsToPixels(3240));
    buildControls();
    centreOnScreen();
}

void frmSWF::buildControls()
{
    lblCaption[0] = new QLabel(QStringLiteral("Source Flash ProjectorEXE File:"), this);
    lblCaption[0]->setGeometry(platform::twipsRect(240, 600, 2235, 195));
    txtEXEPath = new QLineEdit(this);
    txtEXEPath->setGeometry(platform::twipsRect(120, 840, 3825, 300));
    cmdSelectEXEFile = new QPushButton(QStringLiteral("Browse"), this);
    cmdSelectEXEFile->setGeometry(platform::twipsRect(4080, 840, 1215, 325));

    lblCaption[1] = new QLabel(QStringLiteral("Destination SWF File"), this);
    lblCaption[1]->setGeometry(platform::twipsRect(240, 1440, 1470, 195));
    txtSWFPath = new QLineEdit(this);
    txtSWFPath->setGeometry(platform::twipsRect(120, 1680, 3825, 300));
    cmdSelectSWFFile = new QPushButton(QStringLiteral("Browse"), this);
    cmdSelectSWFFile->setGeometry(platform::twipsRect(4080, 1680, 1215, 325));

    cmdParse = new QPushButton(QStringLiteral("Convert Now"), this);
    cmdParse->setGeometry(platform::twipsRect(1920, 2400, 1335, 375));

    Label1 = new QLabel(this);
    Label1->setGeometry(platform::twipsRect(360, 3000, 45, 195));
    // Label2 and txtContent lie below the client area, out of sight.
    Label2 = new QLabel(QStringLiteral("Label2"), this);
    Label2->setGeometry(platform::twipsRect(480, 4560, 480, 195));
    txtContent = new QPlainTextEdit(this);
    txtContent->setGeometry(platform::twipsRect(720, 4440, 4775, 1695));
    txtContent->setTabChangesFocus(true);

    for (QLabel* caption : lblCaption) {
        caption->setFont(captionFont());
        // The designed sizes were measured for Tahoma; in whatever font this
        // desktop puts in its place the caption grows from its designed
        // corner rather than losing its end.
        const QSize needed = caption->sizeHint();
        caption->resize(std::max(caption->width(), needed.width()), std::max(caption->height(), needed.height()));
    }
    for (QPushButton* button : {cmdSelectEXEFile, cmdSelectSWFFile, cmdParse})
        button->setAutoDefault(false);

    setTabOrder(cmdSelectEXEFile, cmdSelectSWFFile);
    setTabOrder(cmdSelectSWFFile, txtEXEPath);
    setTabOrder(txtEXEPath, txtContent);
    setTabOrder(txtContent, txtSWFPath);
    setTabOrder(txtSWFPath, cmdParse);
    cmdSelectEXEFile->setFocus();

    connect(cmdSelectEXEFile, &QPushButton::clicked, this, &frmSWF::cmdSelectEXEFile_Click);
    connect(cmdSelectSWFFile, &QPushButton::clicked, this, &frmSWF::cmdSelectSWFFile_Click);
    connect(cmdParse, &QPushButton::clicked, this, &frmSWF::cmdParse_Click);
}

void frmSWF::centreOnScreen()
{
    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect placed(QPoint(), size());
    placed.moveCenter(screen->availableGeometry().center());
    move(placed.topLeft());
}

frmSWF* frmSWF::showSingle(platform::Platform& platform, QWidget* owner)
{
    QPointer<frmSWF>& window = singleWindow();
    if (!window)
        window = new frmSWF(platform, owner);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

frmSWF* frmSWF::single()
{
    return singleWindow();
}

void frmSWF::cmdSelectEXEFile_Click()
{
    platform::runSkippingFailures({
        [&] { cdlg.Filter(QStringLiteral("Exe Only|*.exe")); },
        [&] { cdlg.DialogTitle(QStringLiteral("Open Falsh Projector")); },
        [&] { cdlg.Flags(std::int32_t(platform::OFN_HIDEREADONLY)); },
        [&] { cdlg.ShowOpen(); },
        [&] {
            const QString chosen = cdlg.FileName();
            if (!chosen.isEmpty())
                txtEXEPath->setText(projectorPathShown(chosen));
        },
    });
}

void frmSWF::cmdSelectSWFFile_Click()
{
    platform::runReportingFailure(*m_platform.messageBox, this, [&] {
        dialogs::cFileDlg dialog(*m_platform.fileDialogs);
        dialog.Filters()->AddFilter(QStringLiteral("SWF files"), QStringLiteral("*.swf"));
        dialog.Flags(std::int32_t(platform::OFN_OVERWRITEPROMPT | platform::OFN_PATHMUSTEXIST |
                                  platform::OFN_CREATEPROMPT));
        dialog.InitDir(GetFilePath(txtSWFPath->text()));
        if (dialog.ShowSave(this))
            txtSWFPath->setText(dialog.Filename());
    });
}

void frmSWF::cmdParse_Click()
{
    platform::runReportingFailure(*m_platform.messageBox, this, [&] {
        if (txtEXEPath->text().isEmpty()) {
            stopMessage(QStringLiteral("Please select an Projector(Exe)File"));
            return;
        }
        if (txtSWFPath->text().isEmpty()) {
            stopMessage(QStringLiteral("Please Select An Destination Path"));
            return;
        }
        cStorage storage = m_platform.clock ? cStorage(*m_platform.clock) : cStorage();
        std::int64_t totalLength = 0;
        std::int64_t dataLength = 0;
        QString timing;
        bool succeeded = false;
        {
            const WaitCursor busy;
            succeeded = storage.Parse(txtEXEPath->text(), txtSWFPath->text(), totalLength, dataLength, timing);
        }
        setAutoSizedText(Label1, statusLine(succeeded));
        setAutoSizedText(Label2, txtContent->toPlainText() + sizeLine(totalLength, dataLength));
        // "Bad File" alone would blame the projector for a full disk or a
        // locked folder.
        if (!storage.FailureReason().isEmpty())
            stopMessage(storage.FailureReason());
    });
}

QString frmSWF::GetFilePath(const QString& strFile)
{
    const qsizetype last = strFile.lastIndexOf(QDir::separator());
    if (last < 0)
        return QString();
#ifndef Q_OS_WIN
    // A file in the root folder: the root, as a file on a drive's root gives
    // the drive on Windows.
    if (last == 0)
        return QString(QDir::separator());
#endif
    return strFile.left(last);
}

void frmSWF::stopMessage(const QString& text)
{
    m_platform.messageBox->show(this, text, kMessageTitle, platform::MsgButtons::Ok, platform::MsgIcon::Critical);
}

} // namespace converter
