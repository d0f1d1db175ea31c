#include "fullscreen/Form3.h"

#include <utility>

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>

#include "flash/ShockwaveFlash.h"
#include "platform/DroppedMovie.h"
#include "platform/Failure.h"
#include "platform/Platform.h"
#include "platform/Twips.h"
#include "settings/Registry.h"

namespace fullscreen {

namespace {

constexpr int kClientWidthTwips = 7035;
constexpr int kClientHeightTwips = 5040;
// The movie falls this much short of the outer window in each direction.
constexpr int kMarginTwips = 100;

QPointer<Form3>& singleWindow()
{
    static QPointer<Form3> window;
    return window;
}

} // namespace

Form3::Form3(platform::Platform& platform, std::function<void()> onUnload)
    : QWidget(nullptr, Qt::Window)
    , m_platform(platform)
    , m_onUnload(std::move(onUnload))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("fullscreen"));
    resize(platform::twipsToPixels(kClientWidthTwips), platform::twipsToPixels(kClientHeightTwips));
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect placed(QPoint(), size());
        placed.moveCenter(screen->availableGeometry().center());
        move(placed.topLeft());
    }

    Flash1 = new flash::ShockwaveFlash(this);
    Flash1->setGeometry(platform::twipsRect(0, 0, 7095, 5055));
    // Below the client area, out of sight.
    Text1 = new QLineEdit(QStringLiteral("Text1"), this);
    Text1->setGeometry(platform::twipsRect(1680, 7440, 5175, 285));

    setAcceptDrops(true);
    Form_Load();
}

Form3* Form3::showSingle(platform::Platform& platform, std::function<void()> onUnload)
{
    QPointer<Form3>& window = singleWindow();
    if (!window)
        window = new Form3(platform, std::move(onUnload));
    window->showMaximized();
    window->raise();
    window->activateWindow();
    return window;
}

Form3* Form3::single()
{
    return singleWindow();
}

QString Form3::storedPath() const
{
    if (!m_platform.store)
        throw platform::RuntimeError(QStringLiteral("No settings store"));
    return Registry::ReadRegText(*m_platform.store, Registry::HKEY_CURRENT_USER,
                                 QString::fromLatin1(Registry::kSettingsKey),
                                 QString::fromLatin1(Registry::kPathValue), QString());
}

void Form3::Form_Load()
{
    platform::runSkippingFailures({
        [&] { fitMovieHeight(); },
        [&] { fitMovieWidth(); },
        [&] { Text1->setText(storedPath()); },
        [&] { setWindowTitle(storedPath()); },
        [&] { Flash1->setMovie(Text1->text()); },
    });
}

void Form3::Form_Resize()
{
    fitMovieHeight();
    fitMovieWidth();
}

void Form3::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    if (m_onUnload)
        m_onUnload();
}

void Form3::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (Flash1)
        Form_Resize();
}

void Form3::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void Form3::dragEnterEvent(QDragEnterEvent* event)
{
    platform::acceptMovieDrag(*event);
}

void Form3::dragMoveEvent(QDragMoveEvent* event)
{
    platform::acceptMovieDrag(*event);
}

void Form3::dropEvent(QDropEvent* event)
{
    const QString movie = platform::takeDroppedMovie(*event);
    if (movie.isEmpty())
        return;
    Text1->setText(movie);
    setWindowTitle(movie);
    Flash1->setMovie(Text1->text());
}

// Measured on the outer window, frame and caption included, so the movie
// reaches past the client area's right and bottom edges, which clip it.
void Form3::fitMovieHeight()
{
    Flash1->setHeight(float(platform::pixelsToTwips(frameGeometry().height()) - kMarginTwips));
}

void Form3::fitMovieWidth()
{
    Flash1->setWidth(float(platform::pixelsToTwips(frameGeometry().width()) - kMarginTwips));
}

} // namespace fullscreen
