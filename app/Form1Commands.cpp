// The main window's commands for opening movies, and its view and help
// commands.

#include <QAction>
#include <QLineEdit>
#include <QPointer>

#include "app/CommonDialog.h"
#include "app/DirListBox.h"
#include "app/DriveListBox.h"
#include "app/FileListBox.h"
#include "app/Form1.h"
#include "app/ImageControl.h"
#include "about/Form2.h"
#include "converter/frmSWF.h"
#include "fullscreen/Form3.h"
#include "settings/Registry.h"
#include "flash/ShockwaveFlash.h"
#include "platform/CommonDialogControl.h"
#include "platform/Failure.h"
#include "platform/InputBox.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/RegistryStore.h"
#include "platform/Shell.h"
#include "platform/WebAddresses.h"

namespace app {

void Form1::op_Click()
{
    // A cancel leaves the movie playing and its path in the box.
    bool chosen = false;
    platform::runSkippingFailures({
        [this, &chosen] { chosen = cmd->ShowOpen(); },
        [this, &chosen] {
            if (chosen)
                Text1->setText(cmd->FileName());
        },
        [this, &chosen] {
            if (chosen)
                ShockwaveFlash1->setMovie(Text1->text());
        },
    });
}

void Form1::su_Click()
{
    QString answer;
    platform::runSkippingFailures({
        [this, &answer] {
            answer = m_platform.inputBox->ask(
                this, QStringLiteral("Type URL (%1)").arg(QString::fromLatin1(platform::web::kExampleMovie)),
                QStringLiteral("url path"), QString::fromLatin1(platform::web::kSampleMovie));
        },
    });
    if (answer.isEmpty()) {
        platform::runSkippingFailures({
            [this] {
                m_platform.messageBox->show(this, QStringLiteral("Operation Cancelled"), QStringLiteral("TVK"),
                                            platform::MsgButtons::Ok, platform::MsgIcon::Critical);
            },
        });
        return;
    }
    platform::runSkippingFailures({
        [this, &answer] { ShockwaveFlash1->setMovie(answer); },
        [this, &answer] {
            if (!File1->setFileName(answer))
                throw platform::RuntimeError(QStringLiteral("Bad file name or number"));
        },
        [this, &answer] { Text1->setText(answer); },
    });
}

QString Form1::iNetCache() const
{
    const auto value = m_platform.store->queryValue(platform::HKEY_CURRENT_USER,
                                                    QString::fromLatin1(platform::kShellFoldersKey),
                                                    QString::fromLatin1(platform::kCacheValue));
    return value ? value->text() : QString();
}

void Form1::clos_Click()
{
    platform::runReportingFailure(*m_platform.messageBox, this, [this] {
        Drive1->setDrive(iNetCache());
        if (!Dir1->setPath(iNetCache()))
            throw platform::RuntimeError(QStringLiteral("Path not found"));
    });
}

void Form1::bg_Click()
{
    // The dialog leaves this window usable, so a second click could open a
    // second dialog inside the first one's wait; one is enough.
    if (m_choosingColour)
        return;
    // Opens with black whatever the background is now; a cancel changes nothing.
    const QPointer<Form1> self(this);
    m_choosingColour = true;
    platform::runSkippingFailures({
        [this, &self] {
            std::int32_t colour = 0;
            const bool chosen = mCommonDialog::ShowColor(*m_platform.colorDialog, colour, true, false, false, nullptr, 0);
            // The window may have been closed while the dialog was open.
            if (chosen && self)
                ShockwaveFlash1->setBackgroundColor(colour);
        },
    });
    if (self)
        m_choosingColour = false;
}

void Form1::fv_Click()
{
    // The path travels through the store only; the full-screen window brings
    // back a fresh main window when it closes.
    platform::Platform& platform = m_platform;
    platform::runSkippingFailures({
        [this] {
            Registry::WriteRegText(*m_platform.store, Registry::HKEY_CURRENT_USER,
                                   QString::fromLatin1(Registry::kSettingsKey),
                                   QString::fromLatin1(Registry::kPathValue), Text1->text());
        },
        [&platform] {
            fullscreen::Form3::showSingle(platform, [&platform] {
                auto* main = new Form1(platform);
                main->setAttribute(Qt::WA_DeleteOnClose);
                main->showCentered();
            });
        },
        [this] {
            setAttribute(Qt::WA_DeleteOnClose);
            close();
        },
    });
}

void Form1::HM_Click()
{
    platform::runReportingFailure(*m_platform.messageBox, this, [this] { ShockwaveFlash1->setMenu(false); });
}

void Form1::sm_Click()
{
    platform::runReportingFailure(*m_platform.messageBox, this, [this] { ShockwaveFlash1->setMenu(true); });
}

void Form1::eswf_Click()
{
    // The converter outlives this window: it is no child of it.
    platform::runReportingFailure(*m_platform.messageBox, this,
                                  [this] { converter::frmSWF::showSingle(m_platform, nullptr); });
}

void Form1::ab_Click()
{
    platform::runReportingFailure(*m_platform.messageBox, this, [this] { about::Form2::showSingle(m_platform, this); });
}

void Form1::cfl_Click()
{
    platform::runReportingFailure(*m_platform.messageBox, this, [this] {
        m_platform.shell->open(QString::fromLatin1(platform::web::kFlashPlayerDownload));
    });
}

void Form1::ks_Click()
{
    platform::runReportingFailure(*m_platform.messageBox, this,
                                  [this] { m_platform.shell->open(QString::fromLatin1(platform::web::kMakerHome)); });
}

// Each picture button is a normal picture over a lit one: passing over a
// button uncovers its lit picture, passing over the panel around them covers
// them all again.
void Form1::Image3_MouseMove()
{
    Image3->setVisible(false);
    Image2->setVisible(true);
}

void Form1::Image6_MouseMove()
{
    Image6->setVisible(false);
}

void Form1::Image8_MouseMove()
{
    Image8->setVisible(false);
    Image7->setVisible(true);
}

void Form1::Image10_MouseMove()
{
    Image10->setVisible(false);
    Image9->setVisible(true);
}

void Form1::Image1_MouseMove()
{
    for (ImageControl* normal : {Image3, Image6, Image8, Image10})
        normal->setVisible(true);
}

} // namespace app
