#pragma once

// The movie control: a widget over the engine's player. It loads what its
// Movie names, drives the player at the movie's frame rate, has a frame
// drawn (off the interface thread) when and only when the stage has changed,
// shows the last one drawn, and offers the player's own right-click menu.

#include <optional>

#include <QImage>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include "flash/AudioSink.h"
#include "flash/FrameRenderer.h"
#include "flash/MovieClipboard.h"
#include "swf/Player.h"
#include "swf/Renderer.h"
#include "swf/runtime/Clock.h"
#include "swf/runtime/FrameScheduler.h"

class QMenu;
class QNetworkAccessManager;

namespace platform {
struct Platform;
}

namespace flash {

class MovieSource;
class NetworkFetcher;

class ShockwaveFlash : public QWidget {
    Q_OBJECT
public:
    explicit ShockwaveFlash(QWidget* parent = nullptr);
    ~ShockwaveFlash() override;

    // The movie: a file path or an address. Setting it loads and, with the
    // Play setting on, plays it; the empty text unloads.
    void setMovie(const QString& movie);
    QString Movie() const { return m_movie; }

    // Why the movie named cannot be shown (it could not be read, is no
    // movie, or stopped for good), or empty while it can or is loading.
    QString problem() const;

    void Play();
    void Stop();
    int CurrentFrame() const;
    int PercentLoaded() const;

    // The colour as the desktop's colour dialog gives it, 0x00BBGGRR.
    void setBackgroundColor(const qint32& colour);
    qint32 BackgroundColor() const { return m_backgroundColor; }

    // Full right-click menu when true, only the about entry when false.
    void setMenu(bool full) { m_menu = full; }
    bool Menu() const { return m_menu; }

    // The menu's Zoom In, Zoom Out and Show All: the view's magnification
    // about its centre, from 1 (the whole stage) up to kMaxZoom.
    static constexpr double kMaxZoom = 64;
    double zoom() const { return m_zoom; }
    void zoomIn();
    void zoomOut();
    void showAll();

    // The menu's Mute and Volume (0..1): the movie's whole sound.
    bool isMuted() const { return m_muted; }
    void setMuted(bool muted);
    double volume() const { return m_volume; }
    void setVolume(double volume);

    // The menu's Print: the frame on screen through the desktop's printer;
    // a failure is told in a message box. The system's desktop unless set.
    void setPlatform(platform::Platform& desktop) { m_platform = &desktop; }
    void print();

    // The host places the control in twips.
    void setWidth(float twips);
    void setHeight(float twips);
    float Width() const;
    float Height() const;

    // Stored settings, as the control starts.
    QString WMode() const { return m_wmode; }
    bool playSetting() const { return m_playSetting; }
    bool Loop() const { return m_loop; }
    void setLoop(bool loop);
    QString Quality() const { return m_quality; }
    void setQuality(const QString& quality);
    QString Scale() const { return m_scale; }
    QString AllowScriptAccess() const { return m_allowScriptAccess; }
    bool DeviceFont() const { return m_deviceFont; }
    bool EmbedMovie() const { return m_embedMovie; }

    // For tests and tools: the engine, one tick of the frame loop, the
    // clock the frame rate is kept by (the machine's unless set; it must
    // outlive the control), what drawing a frame means, and a wait until
    // the frame for the stage as it stands is on show.
    const swf::Player& player() const { return m_player; }
    // Where the movie's trace() lines go; nowhere unless given.
    void setTraceOutput(std::function<void(std::string_view)> sink) { m_player.setTraceOutput(std::move(sink)); }
    void advanceFrame();
    void setClock(const swf::Clock& clock);
    // Where the sound goes (the desktop's output device unless set; null
    // for nowhere), and what the frame clock's timer does when it fires,
    // for tests that keep time themselves.
    void setAudioSink(std::unique_ptr<AudioSink> sink);
    void runFrameClock() { onFrameClock(); }
    void setFrameDraw(FrameRenderer::Draw draw);
    bool waitForFrame(int timeoutMs = 5000);
    bool isLoading() const { return !m_source.isNull(); }
    // The menu a right-click would show now; at a point of the control,
    // the movie's own items for that point lead it.
    QMenu* buildContextMenu(std::optional<QPointF> at = std::nullopt);
    // Where a point of the control (logical pixels) lands on stage, in
    // twips; nothing before a movie's header has arrived.
    std::optional<QPointF> stagePointAt(QPointF widgetPoint) const;

signals:
    void loadFinished(bool complete);

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;
    void addMovieItems(QMenu& menu, const swf::Player::MovieMenu& movie);
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

private:
    void unload();
    QNetworkAccessManager& network();
    void startSource(MovieSource* source);
    void onArrived(const QByteArray& bytes);
    void onFinished(bool complete);
    void syncFrameClock();
    void armFrameClock();
    void onFrameClock();
    void feedStreamSound();
    void repaintIfChanged();
    void requestFrame();
    void onFrameFinished();
    QSize frameSize() const;
    swf::RenderOptions renderOptions() const;
    void showAbout();
    // After input reached the movie: the cursor it asks for, and its
    // answer drawn now rather than at the next frame.
    void afterInput();
    void playSoundSilently(int frames);

    void pressPointer(QPointF at, bool doubleClick);
    // Keys a focused text field edits with, which the window's shortcuts
    // must not take from it.
    bool isTextEditingKey(const QKeyEvent& key) const;
    // Text fields take input methods only while one has the keyboard.
    void syncInputMethod();
    // The movie asked for full screen or back: the control becomes a
    // full-screen window of its own, and returns to its place.
    bool showMovieFullScreen(bool on);
    // The movie's script asked for a print job: the print dialog, with the
    // movie held still while its script waits for the answer.
    std::unique_ptr<swf::script::PrintSpool> startPrintJob();
    // Runs a dialog script waits on; the dialog's own event loop must not
    // play the movie under that script.
    void whileScriptWaits(const std::function<void()>& dialog);
    void tellPrintFailure(const QString& error);

    // Frames played at most in one wake-up to catch up with a stream sound.
    static constexpr std::uint64_t kMaxCatchUpFrames = 30;

    swf::Player m_player;
    MovieClipboard m_clipboard;
    // Declared after the player it pulls from, so it stops first.
    std::unique_ptr<AudioSink> m_audio;
    // The sink takes the sound: it, not the frame clock, lets it go.
    bool m_audioPlaying = false;
    // Sample frames of sound let go of while there is no output device.
    std::uint64_t m_silentFrames = 0;
    std::uint64_t m_silentSamples = 0;
    bool m_muted = false;
    double m_volume = 1;
    FrameRenderer* m_renderer;
    QPointer<MovieSource> m_source;
    QNetworkAccessManager* m_network = nullptr;
    // What a web movie's script loads through; made with the network, and
    // shared with the player, which may hold it to the end.
    std::shared_ptr<NetworkFetcher> m_fetcher;
    swf::SteadyClock m_steadyClock;
    std::unique_ptr<swf::FrameScheduler> m_scheduler;
    // Wakes the control when the next frame is due.
    QTimer m_frameClock;
    // The frame on show, and what the last one asked for was drawn from:
    // when the stage, the size and the options are all still that, there
    // is nothing new to draw.
    QImage m_shown;
    struct Drawn {
        std::uint64_t version = ~std::uint64_t(0);
        QSize size;
        swf::RenderOptions options;
    };
    Drawn m_requested;
    std::uint64_t m_requestKey = 0;

    bool m_scriptWaiting = false;
    bool m_movieFullScreen = false;
    bool m_windowedForFullScreen = false;
    QRect m_placeBeforeFullScreen;

    QString m_movie;
    QString m_sourceProblem;
    qint32 m_backgroundColor = -1;
    bool m_menu = true;
    double m_zoom = 1;
    platform::Platform* m_platform = nullptr;
    QString m_wmode = QStringLiteral("Window");
    bool m_playSetting = true;
    bool m_loop = true;
    QString m_quality = QStringLiteral("High");
    QString m_scale = QStringLiteral("ShowAll");
    QString m_allowScriptAccess = QStringLiteral("always");
    bool m_deviceFont = false;
    bool m_embedMovie = false;
};

} // namespace flash
