// The main window's page commands: both Generate HTML items and the hidden
// Command1 write the page for the current movie beside the program, or in
// the user's data folder when the program's folder is not writable.

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

#include "app/Form1.h"
#include "app/Paths.h"
#include "html/GeneratePage.h"
#include "platform/Failure.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/Shell.h"

namespace app {

html::PageResult Form1::GeneratePage()
{
    const html::PageTemplate page {Text2->text(), Text3->text(), Text4->text(), Text5->text(),
                                   Text6->text(), Text7->text(), Text8->text()};
    html::PageResult result = html::GeneratePage(Label5->text(), Label6->text(), page);
    // An installed program's folder is not the user's to write in; the page
    // then goes to the user's own data folder.
    if (!result.ok) {
        const QString fallback = pagesFolder();
        if (QDir().mkpath(fallback))
            result = html::GeneratePage(fallback, Label6->text(), page);
    }
    if (!result.ok) {
        // Telling the user beats opening an older page of that name, or none.
        m_platform.messageBox->show(this,
                                    QStringLiteral("The page %1 could not be written: %2").arg(result.path, result.reason),
                                    QString::fromLatin1(platform::kProgramTitle), platform::MsgButtons::Ok,
                                    platform::MsgIcon::Exclamation);
    }
    return result;
}

void Form1::prop_Click()
{
    html::PageResult page;
    platform::runSkippingFailures({
        [this, &page] { page = GeneratePage(); },
        [this, &page] {
            if (page.ok)
                m_platform.shell->open(page.path);
        },
    });
}

void Form1::GH_Click()
{
    prop_Click();
}

void Form1::Command1_Click()
{
    html::PageResult page;
    platform::runSkippingFailures({
        [this, &page] { page = GeneratePage(); },
        [this, &page] {
            if (!page.ok)
                return;
            const QString folder = normalFolder(QFileInfo(page.path).absolutePath());
            const QString text = folder == normalFolder(Label5->text())
                                     ? QStringLiteral("Output File Located In Application Directory")
                                     : QStringLiteral("Output File Located In %1").arg(folder);
            m_platform.messageBox->show(this, text, QString(), platform::MsgButtons::Ok,
                                        platform::MsgIcon::Information);
        },
    });
}

} // namespace app
