// Movies that reach the main window from outside its menus: named on the
// command line, or dropped on the window.

#include <QDragEnterEvent>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QSignalBlocker>
#include <QUrl>

#include "app/DirListBox.h"
#include "app/DriveListBox.h"
#include "app/FileListBox.h"
#include "app/FilePattern.h"
#include "app/Form1.h"
#include "app/Paths.h"
#include "flash/ShockwaveFlash.h"
#include "platform/DroppedMovie.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"

namespace app {

namespace {

bool isWebAddress(const QString& movie)
{
    const QUrl url(movie);
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

} // namespace

void Form1::playOpened(const QString& movie)
{
    Text1->setText(movie);
    ShockwaveFlash1->setMovie(Text1->text());
}

void Form1::browseTo(const QString& folder)
{
    {
        // The drive follows the folder; moving it first would take the
        // folder list to the drive's root.
        const QSignalBlocker quiet(Drive1);
        Drive1->setDrive(folder);
    }
    Dir1->setPath(folder);
}

void Form1::openFromCommandLine(const QString& movie)
{
    if (isWebAddress(movie)) {
        playOpened(movie);
        return;
    }
    // File managers hand over file: addresses.
    const QUrl url(movie);
    const QFileInfo file(url.isLocalFile() ? url.toLocalFile() : movie);
    // A folder is where to browse, with nothing to play yet.
    if (file.isDir()) {
        browseTo(normalFolder(file.absoluteFilePath()));
        return;
    }
    if (!file.isFile()) {
        m_platform.messageBox->show(this,
                                    platform::filedialog::promptFor(platform::filedialog::Verdict::FileMissing,
                                                                    file.absoluteFilePath()),
                                    QString::fromLatin1(kTitle), platform::MsgButtons::Ok,
                                    platform::MsgIcon::Exclamation);
        return;
    }
    browseTo(normalFolder(file.absolutePath()));
    // A listed movie is picked as a person would pick it; one the list does
    // not show (another extension) still plays.
    const QString name = file.fileName();
    if (FilePattern::isPattern(name) || !File1->setFileName(name))
        playOpened(QDir::toNativeSeparators(file.absoluteFilePath()));
}

void Form1::dragEnterEvent(QDragEnterEvent* event)
{
    platform::acceptMovieDrag(*event);
}

void Form1::dragMoveEvent(QDragMoveEvent* event)
{
    platform::acceptMovieDrag(*event);
}

void Form1::dropEvent(QDropEvent* event)
{
    const QString movie = platform::takeDroppedMovie(*event);
    if (movie.isEmpty())
        return;
    playOpened(movie);
}

} // namespace app
