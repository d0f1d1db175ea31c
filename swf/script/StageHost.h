#pragma once

// The script machine's host over the runtime's display tree: clip handles
// are display object ids, properties read and write the objects' placement,
// timeline calls move their sprites. What the display side cannot do yet
// (loading movies, sound, dragging) is a quiet no-op with a diagnostic.
//
// Two timings. Without a clock (tools, tests): getTimer() is the frames
// ticked times the frame interval, the date a fixed moment, random numbers
// a fixed sequence, so a headless run gives the same output every time.
// With the player's clock: getTimer() follows it, the date and time zone
// are the machine's, and one round of script may run only so long.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

#include "swf/Matrix.h"
#include "swf/ColorTransform.h"
#include "swf/define/FrameScript.h"
#include "swf/script/Host.h"
#include "swf/script/LoadQueue.h"
#include "swf/script/RandomSource.h"
#include "swf/script/SharedObjectStore.h"

class QByteArray;
class QTransform;

namespace swf {
class Clock;
class LoadedMovie;
class DisplayObject;
class EditTextInstance;
class Movie;
class SoundMixer;
class SpriteInstance;
class Stage;
} // namespace swf

namespace swf::script {

class FrameScripts;
class Machine;
class StageMedia;

class StageHost final : public Host {
public:
    // How long one round of script may run in real time before it is
    // stopped, as the reference player's default limit.
    static constexpr std::chrono::seconds kScriptTimeLimit {15};

    // `clock` null for reproducible runs; it must outlive the host.
    StageHost(Stage& stage, const Movie& movie, const Clock* clock);
    ~StageHost() override;

    Stage& stage() const { return m_stage; }
    void setMachine(Machine* machine) { m_machine = machine; }
    void setFrameScripts(FrameScripts* scripts) { m_scripts = scripts; }
    void setTraceSink(std::function<void(std::string_view)> sink) { m_traceSink = std::move(sink); }
    void setSoundMixer(SoundMixer* mixer);
    bool quitRequested() const { return m_quit; }
    // A round of script starts now: the wall-clock limit counts from here.
    void beginRound() { m_roundStart = std::chrono::steady_clock::now(); }

    ClipHandle handleOf(DisplayObject& object);
    // The living object a handle names, or null.
    DisplayObject* object(ClipHandle clip);
    SpriteInstance* sprite(ClipHandle clip);
    // A tag's body in the movie's stream; empty when it is not all there.
    std::span<const std::uint8_t> tagBody(const TagRef& tag) const;
    // A tag carried by `owner`'s timeline (or its parent's, for what is
    // not a clip), from the stream of the movie it came from.
    std::span<const std::uint8_t> tagBody(const DisplayObject& owner, const TagRef& tag) const;
    // The version of the movie `object` came from, which its code follows.
    int versionOf(const DisplayObject& object) const;
    // The loaded movie `object` came from, null for the main movie's.
    const LoadedMovie* movieOf(const DisplayObject& object) const;
    // Forgets an object the stage took away, once script was told.
    void forget(ClipHandle clip);
    // Lets go of what it keeps for objects that no longer exist.
    void prune();

    // -- Host --
    void trace(std::string_view line) override;
    void diagnostic(std::string_view message) override;
    double timer() override;
    double currentTime() override;
    double timezoneOffsetMinutes(double utcMilliseconds) override;
    double random() override;
    double randomBelow(double bound) override;
    bool scriptTimeExceeded() override;

    void getUrl(std::string_view url, std::string_view window, UrlMethod method) override;
    void fsCommand(std::string_view command, std::string_view arguments) override;
    void loadMovie(ClipHandle target, int level, std::string_view url, UrlMethod method) override;
    void loadVariables(ClipHandle target, int level, std::string_view url, UrlMethod method) override;
    void fetch(std::uint64_t id, std::string_view url, const Outgoing& outgoing) override;
    std::vector<FetchResult> finishedFetches() override;
    void loadClip(std::uint64_t id, ClipHandle target, int level, std::string_view url) override;
    std::vector<ClipLoadResult> finishedClipLoads() override;
    std::vector<LoadProgress> loadsUnderWay() override;
    // The movie's own address, which loads resolve against and the sandbox
    // judges by; empty allows no loads.
    void setMovieUrl(std::string url)
    {
        m_movieUrl = std::move(url);
        m_loads.setMovieUrl(m_movieUrl);
    }
    // What every load of the movie's goes through, sounds and streams too.
    LoadQueue& loads() { return m_loads; }
    const std::string& movieUrl() const override { return m_movieUrl; }
    // Where getLocal's objects are kept; none until one is given.
    void setSharedObjectStore(SharedObjectStore* store) { m_sharedObjects.store = store; }
    SharedObjectRegistry* sharedObjects() override { return m_sharedObjects.store ? &m_sharedObjects : nullptr; }
    void setSystemFacts(SystemFacts facts) { m_systemFacts = std::move(facts); }
    SystemFacts systemFacts() override { return m_systemFacts; }
    // The most one load may read.
    static constexpr std::size_t kMaxLoadBytes = LoadQueue::kMaxBytes;

    ClipHandle root(int level) override;
    ClipHandle parent(ClipHandle clip) override;
    ClipHandle child(ClipHandle clip, std::string_view name, bool caseSensitive) override;
    void childNames(ClipHandle clip, std::vector<std::string>& names) override;
    bool alive(ClipHandle clip) override;
    ClipHandle findClip(std::string_view path) override;
    std::string targetPath(ClipHandle clip) override;
    int level(ClipHandle clip) override;
    ClipHandle rootOf(ClipHandle clip) override;

    HostValue property(ClipHandle clip, ClipProperty property) override;
    void setProperty(ClipHandle clip, ClipProperty property, const HostValue& value) override;

    void play(ClipHandle clip) override;
    void stop(ClipHandle clip) override;
    void gotoFrame(ClipHandle clip, int frame, bool andPlay) override;
    bool gotoLabel(ClipHandle clip, std::string_view label, bool andPlay) override;
    std::optional<int> frameOfLabel(ClipHandle clip, std::string_view label) override;
    void callFrame(ClipHandle clip, int frame) override;
    void nextFrame(ClipHandle clip) override;
    void previousFrame(ClipHandle clip) override;
    int currentFrame(ClipHandle clip) override;
    int totalFrames(ClipHandle clip) override;
    int framesLoaded(ClipHandle clip) override;
    int swfVersion(ClipHandle clip) override;
    double bytesLoaded(ClipHandle clip) override;
    double bytesTotal(ClipHandle clip) override;

    ClipHandle attachMovie(ClipHandle parent, std::string_view exportName, std::string_view name, int depth, bool empty) override;
    void fillFirstFrame(ClipHandle clip) override;
    ClipHandle createEmptyMovieClip(ClipHandle parent, std::string_view name, int depth) override;
    ClipHandle duplicateMovieClip(ClipHandle clip, std::string_view name, int depth) override;
    void removeMovieClip(ClipHandle clip) override;
    void swapDepths(ClipHandle clip, int depth) override;
    void swapDepthsWith(ClipHandle clip, ClipHandle other) override;
    void setMask(ClipHandle clip, ClipHandle mask) override;
    int depth(ClipHandle clip) override;
    int nextHighestDepth(ClipHandle clip) override;
    ClipHandle instanceAtDepth(ClipHandle clip, int depth) override;
    std::string exportName(ClipHandle clip) override;

    HostRect bounds(ClipHandle clip, ClipHandle space) override;
    bool hitTestPoint(ClipHandle clip, double x, double y, bool shapeFlag) override;
    bool hitTestClip(ClipHandle clip, ClipHandle other) override;
    HostPoint localToGlobal(ClipHandle clip, HostPoint point) override;
    HostPoint globalToLocal(ClipHandle clip, HostPoint point) override;
    HostRect stageArea() override;
    HostRect viewArea() override;
    bool setFullScreen(bool on) override;
    bool fullScreen() override { return m_fullScreen; }
    // The size in pixels the player shows the movie at, outside full
    // screen; until one is given, the stage's own. True when the size
    // shown changed, outside a switch to or from full screen.
    bool setViewSize(int width, int height);
    // Decides whether the movie may go full screen (or back) and takes it
    // there; without one a headless run treats the screen of its system
    // facts as its own.
    void setFullScreenHandler(std::function<bool(bool)> handler) { m_fullScreenHandler = std::move(handler); }
    std::optional<HostMatrix> matrix(ClipHandle clip, bool concatenated) override;
    void setMatrix(ClipHandle clip, const HostMatrix& matrix) override;
    std::optional<HostColorTransform> colorTransform(ClipHandle clip, bool concatenated) override;
    void setColorTransform(ClipHandle clip, const HostColorTransform& transform) override;
    void startDrag(ClipHandle clip, bool lockCenter, std::optional<HostRect> constraint) override;
    void stopDrag() override;
    ClipDrawing* drawing(ClipHandle clip) override;
    std::vector<Filter> filters(ClipHandle clip) override;
    void setFilters(ClipHandle clip, std::vector<Filter> filters) override;
    bool attachBitmap(ClipHandle parent, std::shared_ptr<BitmapCanvas> canvas, int depth, bool smoothing) override;
    bool exportedBitmap(std::string_view name, QImage& pixels) override;
    std::shared_ptr<MemoryBudget> bitmapBudget() override;
    bool drawClip(ClipHandle clip, QImage& target, const HostMatrix& matrix, const HostColorTransform& cxform, bool smoothing) override;
    bool drawPixels(const QImage& pixels, QImage& target, const HostMatrix& matrix, const HostColorTransform& cxform,
                    bool smoothing) override;
    bool applyFilter(QImage& layer, const Filter& filter) override;

    // What draws for script (BitmapData.draw, applyFilter): the renderer
    // stands above the script machine, so the player hands it in.
    struct Painter {
        // Draws `clip` and what it holds into premultiplied `target`;
        // `toTarget` takes the clip's twips there.
        std::function<bool(const SpriteInstance& clip, QImage& target, const QTransform& toTarget, const ColorTransform& cxform,
                           bool smoothing)>
            drawClip;
        std::function<bool(QImage& layer, const Filter& filter)> applyFilter;
    };
    void setPainter(Painter painter) { m_painter = std::move(painter); }
    EditTextInstance* textField(ClipHandle clip) override;
    bool isButton(ClipHandle clip) override;
    VideoInstance* video(ClipHandle clip) override;
    ClipHandle createTextField(ClipHandle parent, std::string_view name, int depth, const HostRect& area) override;
    std::vector<HostCharacter> staticText(ClipHandle clip) override;
    ClipHandle focus() override { return alive(m_focus) ? m_focus : ClipHandle {}; }
    // Focus on a button or a clip shows the focus rectangle round it,
    // unless its _focusrect (or the main movie's) says not to.
    void setFocus(ClipHandle clip) override;
    void stopAllSounds() override;
    void toggleQuality() override;
    MediaHost* media() override;
    // Opens a print job for script (the print dialog); without a handler,
    // as headless, there is no printer.
    std::unique_ptr<PrintSpool> startPrintJob() override { return m_printHandler ? m_printHandler() : nullptr; }
    void setPrintHandler(std::function<std::unique_ptr<PrintSpool>()> handler) { m_printHandler = std::move(handler); }

    bool keyIsDown(int code) override;
    bool keyIsToggled(int code) override;
    int lastKeyCode() override;
    int lastKeyAscii() override;
    bool setPointerShown(bool shown) override;

private:
    ClipHandle handleOf(DisplayObject* object) { return object ? handleOf(*object) : ClipHandle {}; }
    void reportOnce(std::string_view what);
    std::string dropTargetPath();
    void resizeField(EditTextInstance& field, bool wide, double pixels);
    // Places a new object made by script at a depth script counts in.
    ClipHandle placeMade(SpriteInstance& parent, std::shared_ptr<DisplayObject> made, std::string_view name, int depth);

    Stage& m_stage;
    const Movie& m_movie;
    const Clock* m_clock;
    std::int64_t m_clockStart = 0;
    Machine* m_machine = nullptr;
    FrameScripts* m_scripts = nullptr;
    std::function<void(std::string_view)> m_traceSink;
    Painter m_painter;
    SoundMixer* m_soundMixer = nullptr;
    std::unique_ptr<StageMedia> m_media;
    std::unordered_map<std::uint64_t, std::weak_ptr<DisplayObject>> m_objects;
    // Target paths as last seen, for objects already taken away.
    std::unordered_map<std::uint64_t, std::string> m_paths;
    std::unordered_map<std::string, bool> m_reported;
    static constexpr std::size_t kPruneFloor = 1024;
    std::size_t m_pruneAt = kPruneFloor;
    std::chrono::steady_clock::time_point m_roundStart;
    RandomSource m_random;
    bool m_quit = false;
    bool m_fullScreen = false;
    bool m_switchingScreen = false;
    int m_viewWidth = 0; // 0: the stage's own size
    int m_viewHeight = 0;
    std::function<bool(bool)> m_fullScreenHandler;
    std::function<std::unique_ptr<PrintSpool>()> m_printHandler;
    std::string m_movieUrl;
    SharedObjectRegistry m_sharedObjects;
    SystemFacts m_systemFacts;
    ClipHandle m_focus;
    // _focusrect as script set it, by object id.
    std::unordered_map<std::uint64_t, bool> m_focusRects;
    bool showsFocusRect(const DisplayObject& object) const;
    LoadQueue m_loads;
    struct PendingFetch {
        std::uint64_t id;
        std::uint64_t ticket;
        std::string url;
    };
    std::vector<PendingFetch> m_fetches;
    struct PendingClipLoad {
        std::uint64_t id;
        ClipHandle target;
        int level;
        std::string url;
        // In the load queue; 0 for an unload or a load over the limit.
        std::uint64_t ticket = 0;
        // A load is read one frame boundary after it was asked for and
        // shows at the next, as the reference player's do.
        bool read = false;
        // Asked for beyond kMaxPendingClipLoads: it fails unread.
        bool overLimit = false;
    };
    // Loads waiting at once; a movie asking for more in a loop gets
    // failures instead of a frame that reads without end.
    static constexpr std::size_t kMaxPendingClipLoads = 64;
    std::vector<PendingClipLoad> m_clipLoads;
    ClipLoadResult finishClipLoad(const PendingClipLoad& load, FetchOutcome arrived);
    // The movie set System.useCodepage: loaded text without a byte order
    // mark is in the desktop's encoding.
    bool usesCodepage();
    // Puts a fresh empty clip where `target` is, with its name, depth and
    // placement; null when the target is gone or is a level.
    ClipHandle emptyInPlaceOf(ClipHandle target);
    // _xscale, _yscale and _rotation as script last set them, with the
    // matrix they gave: they read back as set until something else moves
    // the clip.
    struct ScriptTransform {
        double xScale = 100;
        double yScale = 100;
        double rotation = 0;
        Matrix matrix;
    };
    ScriptTransform scaleAndRotation(const DisplayObject& object) const;
    std::vector<ClipHandle> withPaths(DisplayObject& top);
    void dangle(const std::vector<ClipHandle>& handles);
    // What each clip made by a load came from: its address for _url, its
    // size for getBytesLoaded and getBytesTotal.
    struct LoadedContent {
        std::string url;
        double bytes = 0;
    };
    std::unordered_map<std::uint64_t, LoadedContent> m_loaded;
    std::unordered_map<std::uint64_t, ScriptTransform> m_transforms;
    // As emptyInPlaceOf, the fresh clip showing `movie`; null also when a
    // movie would nest too deep.
    ClipHandle movieInPlaceOf(ClipHandle target, const std::shared_ptr<const LoadedMovie>& movie);
    // Makes `movie` level `number`, in place of what was there.
    ClipHandle placeLevel(int number, const std::shared_ptr<const LoadedMovie>& movie);
    // Reads a loaded file as a movie; null, with `problem`, when it is none
    // or the movies loaded so far leave no room for it.
    std::shared_ptr<const LoadedMovie> readMovie(const QByteArray& bytes, const std::string& url, std::string& problem);
    static constexpr std::size_t kMaxLoadedMovieBytes = std::size_t(128) << 20;
    static constexpr std::size_t kMaxLoadedMovies = 256;
    std::vector<std::weak_ptr<const LoadedMovie>> m_loadedMovies;
};

} // namespace swf::script
