// The browser and playback handlers of the main window.

#include <QApplication>
#include <QLineEdit>
#include <QAction>
#include <QLabel>

#include "app/DirListBox.h"
#include "app/DriveListBox.h"
#include "app/FileListBox.h"
#include "app/Form1.h"
#include "app/StatusLabel.h"
#include "app/Paths.h"
#include "flash/ShockwaveFlash.h"
#include "platform/Failure.h"
#include "platform/Platform.h"

namespace app {

using platform::RuntimeError;

void Form1::Drive1_Change()
{
    // A drive that cannot be read keeps the old folder, silently.
    platform::runSkippingFailures({
        [this] {
            if (!Dir1->setPath(Drive1->drive()))
                throw RuntimeError(QStringLiteral("Device unavailable"));
        },
    });
}

void Form1::Dir1_Change()
{
    platform::runReportingFailure(*m_platform.messageBox, this, [this] {
        if (!File1->setFileName(Dir1->path()))
            throw RuntimeError(QStringLiteral("Path not found"));
        Label1->setText(countCaption());
    });
}

void Form1::File1_Click()
{
    platform::runSkippingFailures({
        [this] { Text1->setText(joinPath(Dir1->path(), File1->fileName())); },
        [this] { ShockwaveFlash1->setMovie(Text1->text()); },
        [this] {
            GH->setEnabled(true);
            prop->setEnabled(true);
            fv->setEnabled(true);
        },
    });
}

void Form1::play_Click()
{
    platform::runReportingFailure(*m_platform.messageBox, this, [this] { ShockwaveFlash1->Play(); });
}

void Form1::stp_Click()
{
    platform::runReportingFailure(*m_platform.messageBox, this, [this] { ShockwaveFlash1->Stop(); });
}

void Form1::Image2_Click()
{
    play_Click();
}

void Form1::Image4_Click()
{
    stp_Click();
}

void Form1::ext_Click()
{
    // Ends the program at once: no window gets to run its closing steps.
    QApplication::exit(0);
}

QString Form1::countCaption() const
{
    return QString::number(File1->listCount()) + QLatin1String(kCountSuffix);
}

} // namespace app
