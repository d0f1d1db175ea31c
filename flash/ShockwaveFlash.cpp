#include "flash/ShockwaveFlash.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QLocale>
#include <QScreen>
#include <QStandardPaths>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <vector>

#include "flash/AudioOutput.h"
#include "flash/FileSource.h"
#include "flash/KeyCodes.h"
#include "flash/MoviePrintJob.h"
#include "flash/NetworkFetcher.h"
#include "flash/NetworkSource.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/Printer.h"
#include "platform/Twips.h"
#include "swf/render/StageTransform.h"
#include "swf/runtime/Stage.h"

namespace flash {

namespace {

QString localPathOf(const QString& movie)
{
    const QUrl url(movie);
    if (url.isLocalFile())
        return url.toLocalFile();
    return movie;
}

swf::Quality qualityOf(const QString& name)
{
    const QString lower = name.toLower();
    if (lower == QLatin1String("low"))
        return swf::Quality::Low;
    if (lower == QLatin1String("medium"))
        return swf::Quality::Medium;
    if (lower == QLatin1String("best"))
        return swf::Quality::Best;
    return swf::Quality::High;
}

swf::ScaleMode scaleOf(const QString& name)
{
    const QString lower = name.toLower();
    if (lower == QLatin1String("noborder"))
        return swf::ScaleMode::NoBorder;
    if (lower == QLatin1String("exactfit"))
        return swf::ScaleMode::ExactFit;
    if (lower == QLatin1String("noscale"))
        return swf::ScaleMode::NoScale;
    return swf::ScaleMode::ShowAll;
}

} // namespace

ShockwaveFlash::ShockwaveFlash(QWidget* parent)
    : QWidget(parent)
    , m_clipboard([this] {
        const platform::Platform& desktop = m_platform ? *m_platform : platform::Platform::system();
        return desktop.clipboard;
    })
    , m_audio(std::make_unique<AudioOutput>())
    , m_renderer(new FrameRenderer(this))
    , m_scheduler(std::make_unique<swf::FrameScheduler>(m_steadyClock))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The movie hears the pointer without a button held, and takes the
    // keyboard once clicked.
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    m_player.setScriptClock(&m_steadyClock);
    m_audioPlaying = m_audio->start([this](std::span<std::int16_t> out) { m_player.mixAudio(out); });
    // What movies keep between runs goes where the desktop keeps
    // programs' data: $XDG_DATA_HOME/Tovimark on Linux.
    if (const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation); !data.isEmpty())
        m_player.setStorageFolder(QDir(data).filePath(QStringLiteral("Tovimark/SharedObjects")).toStdString());
    m_player.setClipboard(&m_clipboard);
    connect(m_renderer, &FrameRenderer::finished, this, &ShockwaveFlash::onFrameFinished);
    m_frameClock.setTimerType(Qt::PreciseTimer);
    m_frameClock.setSingleShot(true);
    connect(&m_frameClock, &QTimer::timeout, this, &ShockwaveFlash::onFrameClock);
}

void ShockwaveFlash::setClock(const swf::Clock& clock)
{
    m_scheduler = std::make_unique<swf::FrameScheduler>(clock);
    m_player.setScriptClock(&clock);
    if (m_frameClock.isActive()) {
        m_frameClock.stop();
        syncFrameClock();
    }
}

namespace {

// No output at all: the sound is let go of as where there is no device.
class SilentSink final : public AudioSink {
public:
    bool start(Pull) override { return false; }
    void stop() override { }
};

} // namespace

void ShockwaveFlash::setAudioSink(std::unique_ptr<AudioSink> sink)
{
    m_audio->stop();
    m_audio = sink ? std::move(sink) : std::make_unique<SilentSink>();
    m_audioPlaying = m_audio->start([this](std::span<std::int16_t> out) { m_player.mixAudio(out); });
}

ShockwaveFlash::~ShockwaveFlash()
{
    // The frame being drawn reads the player's definitions: the drawing
    // thread ends before the player goes.
    delete m_renderer;
}

void ShockwaveFlash::setMovie(const QString& movie)
{
    m_movie = movie;
    m_zoom = 1;
    unload();
    if (movie.isEmpty())
        return;
    m_player.open();
    const QScreen* display = screen();
    m_player.setSystemFacts(QLocale::system().name().left(2).toStdString(), display ? display->size().width() : 0,
                            display ? display->size().height() : 0, display ? int(display->logicalDotsPerInch()) : 72);
    m_player.setViewSize(width(), height());
    m_player.setFullScreenHandler([this](bool on) { return showMovieFullScreen(on); });
    m_player.setPrintHandler([this] { return startPrintJob(); });
    m_player.setLoop(m_loop);
    if (m_backgroundColor >= 0)
        m_player.setBackgroundColor(swf::Color::fromBgr(quint32(m_backgroundColor)));
    // The movie's own address: what its loads resolve against and what
    // the sandbox judges them by.
    if (NetworkSource::handles(movie)) {
        m_player.setMovieUrl(QUrl(movie).toString().toStdString());
        network();
        m_player.setWebFetcher(m_fetcher);
        startSource(new NetworkSource(network(), QUrl(movie), this));
    } else {
        const QString path = localPathOf(movie);
        m_player.setMovieUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString().toStdString());
        // A movie from disk never reaches the network, whatever it asks.
        m_player.setWebFetcher(nullptr);
        startSource(new FileSource(path, this));
    }
}

QNetworkAccessManager& ShockwaveFlash::network()
{
    if (!m_network) {
        m_network = new QNetworkAccessManager(this);
        m_fetcher = std::make_shared<NetworkFetcher>(*m_network);
    }
    return *m_network;
}

void ShockwaveFlash::unload()
{
    m_sourceProblem.clear();
    m_shown = QImage();
    m_requested = {};
    if (m_source) {
        m_source->disconnect(this);
        m_source->deleteLater();
        m_source.clear();
    }
    m_frameClock.stop();
    showMovieFullScreen(false);
    m_player.clear();
    m_silentFrames = m_silentSamples = 0;
    update();
}

void ShockwaveFlash::startSource(MovieSource* source)
{
    m_source = source;
    connect(source, &MovieSource::arrived, this, &ShockwaveFlash::onArrived);
    connect(source, &MovieSource::finished, this, [this](bool complete, const QString& reason) {
        if (!complete && !reason.isEmpty())
            m_sourceProblem = reason;
        onFinished(complete);
    });
    source->start();
}

void ShockwaveFlash::onArrived(const QByteArray& bytes)
{
    const bool hadMovie = m_player.hasMovie();
    m_player.feed(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())));
    if (!hadMovie && m_player.hasMovie()) {
        if (!m_playSetting)
            m_player.stop();
        syncFrameClock();
        feedStreamSound();
    }
    repaintIfChanged();
}

void ShockwaveFlash::onFinished(bool complete)
{
    m_player.finish();
    if (m_source) {
        m_source->deleteLater();
        m_source.clear();
    }
    syncFrameClock();
    repaintIfChanged();
    update();
    emit loadFinished(complete);
}

QString ShockwaveFlash::problem() const
{
    if (m_movie.isEmpty() || isLoading())
        return {};
    if (!m_player.haltReason().empty())
        return QString::fromStdString(m_player.haltReason());
    if (m_player.hasMovie() && m_player.framesLoaded() > 0)
        return {};
    // Why nothing can be shown: what went wrong reading the bytes, or what
    // the bytes were.
    if (!m_sourceProblem.isEmpty())
        return m_sourceProblem;
    if (m_player.failed())
        return QString::fromStdString(m_player.error());
    return m_player.hasMovie() ? tr("The movie has no frame to show.") : tr("There is nothing to play.");
}

void ShockwaveFlash::syncFrameClock()
{
    if (!m_player.hasMovie()) {
        m_frameClock.stop();
        return;
    }
    const double rate = m_player.clockFrameRate();
    if (!m_frameClock.isActive())
        m_scheduler->start(rate);
    else
        m_scheduler->setRate(rate);
    armFrameClock();
}

void ShockwaveFlash::armFrameClock()
{
    // Whole milliseconds, rounded up, so the wake-up is never early; the
    // scheduler keeps the rate exact whatever the timer's grain.
    const std::int64_t wait = m_scheduler->nanosecondsUntilNext();
    m_frameClock.start(int((wait + 999'999) / 1'000'000));
}

// Frames that came due while the control was busy are played through but
// not drawn: only the last one shows.
void ShockwaveFlash::onFrameClock()
{
    // A dialog's event loop woke the clock while script waits on it: the
    // clock starts afresh when the dialog is done.
    if (m_scriptWaiting)
        return;
    int due = m_scheduler->takeDueFrames();
    // A stream sound the sink takes sets the pace while it plays.
    if (m_audioPlaying && m_player.soundAhead())
        due = 0;
    playSoundSilently(due);
    for (int i = 0; i < due; ++i)
        m_player.advance();
    // A movie loaded into level 0 brings its own rate.
    m_scheduler->setRate(m_player.clockFrameRate());
    feedStreamSound();
    repaintIfChanged();
    armFrameClock();
}

// The picture runs ahead of the stream sound the sink has taken by as much
// as keeps the stream holding more than a frame's time of sound: enough to
// last until the next wake-up, and some for a late one. So the sound never
// waits in silence for the picture (frames are dropped instead), and the
// sink's own buffer, which keeps what it has taken from the speaker for
// about as long, brings the two together again where they are seen and
// heard.
void ShockwaveFlash::feedStreamSound()
{
    if (!m_audioPlaying || !m_player.hasMovie())
        return;
    const auto wanted = std::uint64_t(1.25 * swf::Player::kAudioRate / m_player.clockFrameRate());
    for (std::uint64_t played = 0; played < kMaxCatchUpFrames; ++played) {
        const std::optional<std::uint64_t> ahead = m_player.soundAhead();
        if (!ahead || *ahead >= wanted)
            return;
        m_player.advance();
        // A frame that brought no block leaves the pace to the frame clock.
        const std::optional<std::uint64_t> after = m_player.soundAhead();
        if (!after || *after <= *ahead)
            return;
    }
}

void ShockwaveFlash::advanceFrame()
{
    playSoundSilently(1);
    m_player.advance();
    repaintIfChanged();
}

// Without a device nobody pulls the mix: the frames' sound is mixed here and
// let go of, so sounds still end when they would have been heard out.
void ShockwaveFlash::playSoundSilently(int frames)
{
    if (m_audioPlaying || frames <= 0 || !m_player.hasMovie())
        return;
    m_silentFrames += std::uint64_t(frames);
    const auto due = std::uint64_t(double(m_silentFrames) * swf::Player::kAudioRate / m_player.clockFrameRate());
    std::vector<std::int16_t> discarded(std::size_t(std::min<std::uint64_t>(due - std::min(due, m_silentSamples), swf::Player::kAudioRate)) * 2);
    m_silentSamples = due;
    m_player.mixAudio(discarded);
}

void ShockwaveFlash::setMuted(bool muted)
{
    m_muted = muted;
    m_player.setMuted(muted);
}

void ShockwaveFlash::setVolume(double volume)
{
    m_volume = std::clamp(volume, 0.0, 1.0);
    m_player.setVolume(m_volume);
}

QSize ShockwaveFlash::frameSize() const
{
    return swf::fitRenderSize(QSizeF(size()) * devicePixelRatioF());
}

// A frame is drawn when what it would show differs from the last one asked
// for: the stage, the control's size or the viewer's options.
void ShockwaveFlash::repaintIfChanged()
{
    if (!m_player.hasMovie())
        return;
    const swf::RenderOptions options = renderOptions();
    const bool sameOptions = options.scale == m_requested.options.scale && options.quality == m_requested.options.quality
        && options.zoom == m_requested.options.zoom;
    if (m_player.stageVersion() != m_requested.version || frameSize() != m_requested.size || !sameOptions)
        requestFrame();
}

void ShockwaveFlash::requestFrame()
{
    auto frame = std::make_shared<swf::StageFrame>();
    m_player.captureFrame(*frame);
    m_requested = {m_player.stageVersion(), frameSize(), renderOptions()};
    m_renderer->request({std::move(frame), m_requested.size, devicePixelRatioF(), m_requested.options, ++m_requestKey});
}

void ShockwaveFlash::onFrameFinished()
{
    if (auto finished = m_renderer->takeFinished()) {
        const bool sameSize = !m_shown.isNull() && finished->image.size() == m_shown.size();
        m_shown = std::move(finished->image);
        // Only where the frame changed, when it lands where the last one did.
        if (!sameSize || m_shown.size() != (QSizeF(size()) * devicePixelRatioF()).toSize()) {
            update();
            return;
        }
        const qreal ratio = devicePixelRatioF();
        for (const QRect& changed : finished->changed)
            update(QRectF(changed.x() / ratio, changed.y() / ratio, changed.width() / ratio, changed.height() / ratio).toAlignedRect());
    }
}

void ShockwaveFlash::setFrameDraw(FrameRenderer::Draw draw)
{
    m_renderer->setDraw(std::move(draw));
}

bool ShockwaveFlash::waitForFrame(int timeoutMs)
{
    repaintIfChanged();
    if (!m_renderer->waitUntilIdle(timeoutMs))
        return false;
    onFrameFinished();
    return true;
}

void ShockwaveFlash::Play()
{
    m_player.play();
}

void ShockwaveFlash::Stop()
{
    m_player.stop();
}

int ShockwaveFlash::CurrentFrame() const
{
    return m_player.currentFrame();
}

int ShockwaveFlash::PercentLoaded() const
{
    return m_player.percentLoaded();
}

void ShockwaveFlash::setBackgroundColor(const qint32& colour)
{
    m_backgroundColor = colour;
    if (colour >= 0)
        m_player.setBackgroundColor(swf::Color::fromBgr(quint32(colour)));
    update();
}

void ShockwaveFlash::setLoop(bool loop)
{
    m_loop = loop;
    m_player.setLoop(loop);
}

void ShockwaveFlash::setQuality(const QString& quality)
{
    m_quality = quality;
    update();
}

void ShockwaveFlash::setWidth(float twips)
{
    resize(platform::twipsToPixels(int(twips)), height());
}

void ShockwaveFlash::setHeight(float twips)
{
    resize(width(), platform::twipsToPixels(int(twips)));
}

float ShockwaveFlash::Width() const
{
    return float(platform::pixelsToTwips(width()));
}

float ShockwaveFlash::Height() const
{
    return float(platform::pixelsToTwips(height()));
}

swf::RenderOptions ShockwaveFlash::renderOptions() const
{
    return {scaleOf(m_scale), qualityOf(m_quality), m_zoom};
}

// Shows the last frame drawn, never waiting for one: a frame of the right
// size is on its way whenever this one is out of date.
void ShockwaveFlash::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (const QString why = problem(); !why.isEmpty()) {
        // A movie that cannot be shown says why on the stage itself, the
        // same whichever way it was opened.
        painter.fillRect(rect(), Qt::white);
        painter.setPen(QColor(0x55, 0x55, 0x55));
        painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap,
                         tr("This movie cannot be played.") + QLatin1Char('\n') + why);
        return;
    }
    if (!m_player.hasMovie()) {
        painter.fillRect(rect(), Qt::white);
        return;
    }
    repaintIfChanged();
    if (m_shown.isNull()) {
        const swf::Color stage = m_player.backgroundColor();
        painter.fillRect(rect(), QColor(stage.r, stage.g, stage.b));
        return;
    }
    // A frame of another size (the control was just resized, or is larger
    // than any frame is drawn) is stretched over it until one that fits
    // arrives.
    if (m_shown.size() == (QSizeF(size()) * devicePixelRatioF()).toSize())
        painter.drawImage(QPoint(0, 0), m_shown);
    else
        painter.drawImage(QRectF(rect()), m_shown);
}

QMenu* ShockwaveFlash::buildContextMenu(std::optional<QPointF> at)
{
    auto* menu = new QMenu(this);
    const std::optional<QPointF> stagePoint = at ? stagePointAt(*at) : std::nullopt;
    const swf::Player::MovieMenu movie = stagePoint ? m_player.movieMenuAt(stagePoint->x(), stagePoint->y()) : swf::Player::MovieMenu {};
    addMovieItems(*menu, movie);
    const auto shows = [&](const char* builtIn) { return std::ranges::find(movie.hiddenBuiltIns, builtIn) == movie.hiddenBuiltIns.end(); };
    if (m_menu) {
        QAction* play = menu->addAction(tr("Play"), this, [this] { m_player.isPlaying() ? Stop() : Play(); });
        play->setCheckable(true);
        play->setChecked(m_player.isPlaying());
        play->setVisible(shows("play"));
        QAction* loop = menu->addAction(tr("Loop"), this, [this] { setLoop(!m_loop); });
        loop->setCheckable(true);
        loop->setChecked(m_loop);
        loop->setVisible(shows("loop"));
        menu->addSeparator();
        QAction* rewind = menu->addAction(tr("Rewind"), this, [this] {
            m_player.gotoFrame(0);
            Stop();
            update();
        });
        rewind->setVisible(shows("rewind"));
        QAction* forward = menu->addAction(tr("Forward"), this, [this] {
            Stop();
            m_player.gotoFrame(m_player.currentFrame() + 1);
            update();
        });
        QAction* back = menu->addAction(tr("Back"), this, [this] {
            Stop();
            m_player.gotoFrame(m_player.currentFrame() - 1);
            update();
        });
        forward->setVisible(shows("forward_back"));
        back->setVisible(shows("forward_back"));
        menu->addSeparator();
        QAction* in = menu->addAction(tr("Zoom In"), this, &ShockwaveFlash::zoomIn);
        in->setEnabled(m_player.hasMovie() && m_zoom < kMaxZoom);
        QAction* out = menu->addAction(tr("Zoom Out"), this, &ShockwaveFlash::zoomOut);
        out->setEnabled(m_zoom > 1);
        QAction* all = menu->addAction(tr("Show All"), this, &ShockwaveFlash::showAll);
        all->setEnabled(m_zoom != 1);
        for (QAction* zoom : {in, out, all})
            zoom->setVisible(shows("zoom"));
        menu->addSeparator();
        QMenu* quality = menu->addMenu(tr("Quality"));
        for (const QString& level : {QStringLiteral("Low"), QStringLiteral("Medium"), QStringLiteral("High")}) {
            QAction* action = quality->addAction(level, this, [this, level] { setQuality(level); });
            action->setCheckable(true);
            action->setChecked(m_quality.compare(level, Qt::CaseInsensitive) == 0);
        }
        quality->menuAction()->setVisible(shows("quality"));
        QAction* mute = menu->addAction(tr("Mute"), this, [this] { setMuted(!m_muted); });
        mute->setCheckable(true);
        mute->setChecked(m_muted);
        QMenu* volume = menu->addMenu(tr("Volume"));
        for (const int percent : {100, 75, 50, 25}) {
            QAction* action = volume->addAction(tr("%1%").arg(percent), this, [this, percent] { setVolume(percent / 100.0); });
            action->setCheckable(true);
            action->setChecked(std::lround(m_volume * 100) == percent);
        }
        menu->addSeparator();
        QAction* print = menu->addAction(tr("Print..."), this, &ShockwaveFlash::print);
        print->setEnabled(m_player.hasMovie());
        print->setVisible(shows("print"));
        menu->addSeparator();
    }
    menu->addAction(tr("About Tovimark Player..."), this, &ShockwaveFlash::showAbout);
    return menu;
}

void ShockwaveFlash::addMovieItems(QMenu& menu, const swf::Player::MovieMenu& movie)
{
    for (std::size_t i = 0; i < movie.items.size(); ++i) {
        const swf::Player::MenuItem& item = movie.items[i];
        if (item.separatorBefore)
            menu.addSeparator();
        QAction* action = menu.addAction(QString::fromStdString(item.caption), this, [this, i] { m_player.chooseMovieMenuItem(i); });
        action->setEnabled(item.enabled);
    }
    if (!movie.items.empty())
        menu.addSeparator();
}

void ShockwaveFlash::zoomIn()
{
    m_zoom = std::min(m_zoom * 2, kMaxZoom);
    update();
}

void ShockwaveFlash::zoomOut()
{
    m_zoom = std::max(m_zoom / 2, 1.0);
    update();
}

void ShockwaveFlash::showAll()
{
    m_zoom = 1;
    update();
}

void ShockwaveFlash::print()
{
    if (!m_player.hasMovie())
        return;
    // The frame as it shows, at the stage's own size or the view's if
    // larger, so that small movies do not print as a blur.
    constexpr int kMaxSide = 4096; // what a stage may ask for, not what it gets
    QSize pageSize = size().expandedTo(QSize(1, 1));
    if (const swf::Header* header = m_player.header()) {
        const QSize stage(header->frameSize.width() / 20, header->frameSize.height() / 20);
        if (stage.width() > pageSize.width() && stage.height() > pageSize.height() && stage.width() <= kMaxSide
            && stage.height() <= kMaxSide)
            pageSize = stage;
    }
    QImage page(pageSize, QImage::Format_ARGB32_Premultiplied);
    swf::render(m_player, page, renderOptions());
    platform::Platform& desktop = m_platform ? *m_platform : platform::Platform::system();
    QString error;
    if (!desktop.printer->printPage(page, m_movie, this, error) && !error.isEmpty())
        desktop.messageBox->show(this, error, tr("Print"), platform::MsgButtons::Ok, platform::MsgIcon::Exclamation);
}

std::unique_ptr<swf::script::PrintSpool> ShockwaveFlash::startPrintJob()
{
    platform::Platform& desktop = m_platform ? *m_platform : platform::Platform::system();
    std::unique_ptr<platform::PrinterJob> job;
    QString error;
    whileScriptWaits([&] { job = desktop.printer->beginJob(m_movie, this, error); });
    if (!job) {
        if (!error.isEmpty())
            tellPrintFailure(error);
        return nullptr;
    }
    return std::make_unique<MoviePrintJob>(std::move(job), [this](const QString& failure) { tellPrintFailure(failure); });
}

void ShockwaveFlash::tellPrintFailure(const QString& error)
{
    platform::Platform& desktop = m_platform ? *m_platform : platform::Platform::system();
    whileScriptWaits(
        [&] { desktop.messageBox->show(this, error, tr("Print"), platform::MsgButtons::Ok, platform::MsgIcon::Exclamation); });
}

void ShockwaveFlash::whileScriptWaits(const std::function<void()>& dialog)
{
    const bool outer = !m_scriptWaiting;
    m_scriptWaiting = true;
    m_frameClock.stop();
    dialog();
    if (!outer)
        return;
    m_scriptWaiting = false;
    syncFrameClock();
}

void ShockwaveFlash::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = buildContextMenu(QPointF(event->pos()));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void ShockwaveFlash::showAbout()
{
    QMessageBox::about(this, tr("About Tovimark Player"), tr("Tovimark movie player"));
}

std::optional<QPointF> ShockwaveFlash::stagePointAt(QPointF widgetPoint) const
{
    const swf::Header* header = m_player.header();
    if (!header || width() <= 0 || height() <= 0)
        return std::nullopt;
    // Frames are drawn at frameSize() and shown stretched over the control.
    const QSize target = frameSize();
    const QPointF inTarget(widgetPoint.x() * target.width() / width(), widgetPoint.y() * target.height() / height());
    bool invertible = false;
    const QTransform toStage = swf::viewTransform(*header, QSizeF(target), renderOptions()).inverted(&invertible);
    if (!invertible)
        return std::nullopt;
    return toStage.map(inTarget);
}

void ShockwaveFlash::afterInput()
{
    switch (m_player.cursor()) {
    case swf::Player::Cursor::Hand: setCursor(Qt::PointingHandCursor); break;
    case swf::Player::Cursor::IBeam: setCursor(Qt::IBeamCursor); break;
    case swf::Player::Cursor::Hidden: setCursor(Qt::BlankCursor); break;
    case swf::Player::Cursor::Arrow: unsetCursor(); break;
    }
    syncInputMethod();
    repaintIfChanged();
}

bool ShockwaveFlash::isTextEditingKey(const QKeyEvent& key) const
{
    if (!m_player.hasTextFocus())
        return false;
    static constexpr QKeySequence::StandardKey kEditing[] {
        QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Paste, QKeySequence::SelectAll,
        QKeySequence::MoveToNextWord, QKeySequence::MoveToPreviousWord, QKeySequence::SelectNextWord,
        QKeySequence::SelectPreviousWord, QKeySequence::MoveToStartOfDocument, QKeySequence::MoveToEndOfDocument,
        QKeySequence::SelectStartOfDocument, QKeySequence::SelectEndOfDocument,
    };
    for (const QKeySequence::StandardKey editing : kEditing)
        if (key.matches(editing))
            return true;
    return false;
}

// Keys without Ctrl, Alt or Meta are the movie's while it has the focus,
// and so are the editing shortcuts while one of its text fields has the
// keyboard; the window keeps its other shortcuts.
bool ShockwaveFlash::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride && m_player.hasMovie()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) || isTextEditingKey(*key)) {
            event->accept();
            return true;
        }
    }
    // Tab and Shift+Tab move the movie's own focus, not the window's.
    if (event->type() == QEvent::KeyPress && m_player.hasMovie()) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            keyPressEvent(key);
            return true;
        }
    }
    return QWidget::event(event);
}

void ShockwaveFlash::mouseMoveEvent(QMouseEvent* event)
{
    if (const std::optional<QPointF> point = stagePointAt(event->position())) {
        m_player.pointerMove(point->x(), point->y());
        afterInput();
    }
}

void ShockwaveFlash::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    pressPointer(event->position(), false);
}

// A double click comes instead of the second press.
void ShockwaveFlash::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mouseDoubleClickEvent(event);
    pressPointer(event->position(), true);
}

void ShockwaveFlash::pressPointer(QPointF at, bool doubleClick)
{
    if (const std::optional<QPointF> point = stagePointAt(at)) {
        m_player.pointerMove(point->x(), point->y());
        doubleClick ? m_player.pointerDoubleClick() : m_player.pointerPress();
        afterInput();
    }
}

void ShockwaveFlash::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    if (const std::optional<QPointF> point = stagePointAt(event->position()))
        m_player.pointerMove(point->x(), point->y());
    m_player.pointerRelease();
    afterInput();
}

void ShockwaveFlash::wheelEvent(QWheelEvent* event)
{
    // One notch is 120 eighths of a degree; movies count notches.
    const int notches = event->angleDelta().y() / 120;
    if (notches == 0 || !m_player.hasMovie())
        return QWidget::wheelEvent(event);
    m_player.wheel(notches);
    afterInput();
}

bool ShockwaveFlash::showMovieFullScreen(bool on)
{
    if (on == m_movieFullScreen)
        return true;
    m_movieFullScreen = on;
    if (on) {
        m_placeBeforeFullScreen = geometry();
        m_windowedForFullScreen = !isWindow();
        if (m_windowedForFullScreen)
            setWindowFlag(Qt::Window, true);
        // The whole screen even where no window manager takes the hint.
        if (const QScreen* display = screen())
            setGeometry(display->geometry());
        showFullScreen();
    } else if (m_windowedForFullScreen) {
        setWindowFlag(Qt::Window, false);
        setGeometry(m_placeBeforeFullScreen);
        show();
    } else {
        showNormal();
    }
    setFocus();
    return true;
}

void ShockwaveFlash::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_player.hasMovie())
        m_player.setViewSize(width(), height());
}

void ShockwaveFlash::keyPressEvent(QKeyEvent* event)
{
    // Escape always leaves a full screen the movie asked for.
    if (m_movieFullScreen && event->key() == Qt::Key_Escape) {
        m_player.leaveFullScreen();
        showMovieFullScreen(false);
        return;
    }
    const MovieKey key = movieKeyOf(*event);
    const QString text = event->text();
    // Printable text with no key code of its own (an accented letter on
    // its own key) still types; Ctrl with Alt is AltGr on some desktops.
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool chord = (modifiers & Qt::MetaModifier) || ((modifiers & Qt::ControlModifier) && !(modifiers & Qt::AltModifier));
    const bool typed = !text.isEmpty() && text.front().isPrint() && !chord;
    if ((!key.code && !typed) || !m_player.hasMovie())
        return QWidget::keyPressEvent(event);
    if (key.code)
        m_player.keyDown(key.code, key.ascii);
    if (typed)
        m_player.enterText(text.toStdString());
    afterInput();
}

void ShockwaveFlash::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty() && m_player.hasMovie()) {
        m_player.enterText(event->commitString().toStdString());
        afterInput();
    }
    event->accept();
}

QVariant ShockwaveFlash::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (query == Qt::ImEnabled)
        return m_player.hasTextFocus();
    if (query == Qt::ImCursorRectangle) {
        const std::optional<swf::Player::StageRect> caret = m_player.caretRect();
        const swf::Header* header = m_player.header();
        const QSize target = frameSize();
        if (!caret || !header || target.isEmpty())
            return QRect();
        // The way stagePointAt() maps, backwards.
        const QRectF inTarget = swf::viewTransform(*header, QSizeF(target), renderOptions())
                                    .mapRect(QRectF(caret->x, caret->y, caret->width, caret->height));
        const double sx = double(width()) / target.width();
        const double sy = double(height()) / target.height();
        return QRectF(inTarget.x() * sx, inTarget.y() * sy, inTarget.width() * sx, inTarget.height() * sy).toAlignedRect();
    }
    return QWidget::inputMethodQuery(query);
}

void ShockwaveFlash::syncInputMethod()
{
    const bool wanted = m_player.hasTextFocus();
    if (testAttribute(Qt::WA_InputMethodEnabled) != wanted) {
        setAttribute(Qt::WA_InputMethodEnabled, wanted);
        if (hasFocus())
            QGuiApplication::inputMethod()->update(Qt::ImEnabled);
    }
    if (wanted && hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
}

void ShockwaveFlash::keyReleaseEvent(QKeyEvent* event)
{
    const MovieKey key = movieKeyOf(*event);
    if (!key.code || !m_player.hasMovie() || event->isAutoRepeat())
        return QWidget::keyReleaseEvent(event);
    m_player.keyUp(key.code, key.ascii);
    afterInput();
}

} // namespace flash
