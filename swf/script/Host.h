#pragma once

// Everything the script machine reaches outside itself goes through this
// interface: output, the clock, requests to load or send, and the display
// side. The machine never sees a display object; it holds ClipHandles,
// opaque numbers the host mints, and asks the host about them.
//
// How clip references behave. Script keeps a reference to a clip as a
// script object that carries the clip's handle. While the clip lives, the
// handle is the answer. When the host removes the clip it calls
// Machine::clipRemoved() (before the clip is gone, so its target path can
// still be read); the reference then keeps that path, and each later use
// looks the path up again with findClip(). If a clip has been placed or
// created at the same path since, the old reference reaches the new clip;
// otherwise it reads as undefined. A handle must never be reused for
// another display object.
//
// Paths. Absolute target paths are in dot form from the level:
// "_level0.a.b". findClip() resolves those; child() resolves one name below
// a clip. Slash paths ("/a/b:var", "../x") and relative dot paths are taken
// apart by the machine, which walks them with root(), parent() and child().
//
// Re-entrancy. Timeline calls (gotoFrame, attachMovie, removeClip ...) may
// make the host run script (a new frame's actions, onUnload, a
// constructor) through the machine's entry points before they return; the
// machine allows this as long as the nesting stays within its limits.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "swf/read/FilterRecord.h"
#include "swf/script/PrintSpool.h"

class QImage;

namespace swf {
class BitmapCanvas;
class ClipDrawing;
class EditTextInstance;
class MemoryBudget;
class VideoInstance;
} // namespace swf

namespace swf::script {

class MediaHost;
struct SharedObjectRegistry;

struct ClipHandle {
    std::uint64_t id = 0;

    explicit operator bool() const { return id != 0; }
    bool operator==(const ClipHandle&) const = default;
};

// The numbered properties of GetProperty and SetProperty, in their order.
enum class ClipProperty : std::uint8_t {
    X = 0,
    Y = 1,
    XScale = 2,
    YScale = 3,
    CurrentFrame = 4,
    TotalFrames = 5,
    Alpha = 6,
    Visible = 7,
    Width = 8,
    Height = 9,
    Rotation = 10,
    Target = 11,
    FramesLoaded = 12,
    Name = 13,
    DropTarget = 14,
    Url = 15,
    HighQuality = 16,
    FocusRect = 17,
    SoundBufTime = 18,
    Quality = 19,
    XMouse = 20,
    YMouse = 21,
};
constexpr int kClipPropertyCount = 22;

// A property value as the display side knows it: nothing (undefined),
// a boolean, a number or a string.
using HostValue = std::variant<std::monostate, bool, double, std::string>;

struct HostRect {
    double xMin = 0;
    double yMin = 0;
    double xMax = 0;
    double yMax = 0;
};

struct HostPoint {
    double x = 0;
    double y = 0;
};

// A character of the static text on a clip: its glyph's cell in the
// clip's space, in pixels; a line's first says so.
struct HostCharacter {
    char16_t code = 0;
    HostRect box;
    bool startsLine = false;
};

// A clip's colour transform: each channel becomes channel * multiplier +
// offset, multipliers as fractions (1 leaves it), offsets in 0..255 steps.
struct HostColorTransform {
    double redMultiplier = 1;
    double greenMultiplier = 1;
    double blueMultiplier = 1;
    double alphaMultiplier = 1;
    double redOffset = 0;
    double greenOffset = 0;
    double blueOffset = 0;
    double alphaOffset = 0;
};

// A clip's placement: x' = a*x + c*y + tx, y' = b*x + d*y + ty, in pixels.
struct HostMatrix {
    double a = 1;
    double b = 0;
    double c = 0;
    double d = 1;
    double tx = 0;
    double ty = 0;
};

enum class UrlMethod : std::uint8_t { None, Get, Post };

// A header a movie asked one of its loads to carry (addRequestHeader).
struct RequestHeader {
    std::string name;
    std::string value;
};

// What a text load sends besides its address: the variables or text that
// go with it, a POST body's type as the movie set it, and the headers the
// movie added, in its order. The loader judges what of it may go out.
struct Outgoing {
    UrlMethod method = UrlMethod::Get;
    std::string body;
    std::string contentType;
    std::vector<RequestHeader> headers;
};

class Host {
public:
    virtual ~Host() = default;

    // -- Output and environment --------------------------------------------
    // One trace() line, without its line break.
    virtual void trace(std::string_view line) = 0;
    // Something the machine skipped or stopped (a malformed action block,
    // a runaway script); for diagnostics, never shown as a dialog.
    virtual void diagnostic(std::string_view message) = 0;
    // Milliseconds since the movie started, by the engine's one clock:
    // getTimer(), and the clock setInterval and setTimeout run on.
    virtual double timer() = 0;
    // Milliseconds since 1970 UTC for new Date(); headless runs give a
    // fixed moment.
    virtual double currentTime() = 0;
    // The local time zone's offset from UTC in minutes at a UTC moment
    // (east positive), for Date's local-time methods.
    virtual double timezoneOffsetMinutes(double utcMilliseconds) = 0;
    // A number in [0, 1) for Math.random and RandomNumber; headless runs
    // seed it so that a run is reproducible.
    virtual double random() = 0;
    // An integer in [0, bound) for random(n); 0 for a bound below 1.
    virtual double randomBelow(double bound) = 0;
    // Called every so many thousand instructions of one run: true stops
    // the running script (the player's wall-clock limit). Headless hosts
    // answer false and rely on the instruction budget instead.
    virtual bool scriptTimeExceeded() { return false; }

    // -- Requests ----------------------------------------------------------
    // GetURL and GetURL2 that are not fscommands and not loads into a
    // level or clip: a page to open, or a variables request.
    virtual void getUrl(std::string_view url, std::string_view window, UrlMethod method) = 0;
    // "FSCommand:cmd" URLs and fscommand(): "quit" ends a headless run.
    virtual void fsCommand(std::string_view command, std::string_view arguments) = 0;
    // loadMovie/loadMovieNum into a clip or level (null target: `level`
    // says which); an empty URL unloads.
    virtual void loadMovie(ClipHandle target, int level, std::string_view url, UrlMethod method) = 0;
    virtual void loadVariables(ClipHandle target, int level, std::string_view url, UrlMethod method) = 0;
    // Text for script (LoadVars, XML, loadVariables), read from `url`
    // relative to the movie under its sandbox. The answer never comes
    // before this returns: the host hands it over at a frame boundary
    // through finishedFetches(). Hosts that load nothing refuse all.
    struct FetchResult {
        std::uint64_t id = 0;
        bool ok = false;
        std::string data; // UTF-8, as script reads it
        std::size_t bytes = 0; // as they arrived
        // What the server answered (LoadVars.onHTTPStatus): 0 when none
        // answered; -1 for a load that never went to the web.
        int httpStatus = -1;
    };
    virtual void fetch(std::uint64_t id, std::string_view /*url*/, const Outgoing&) { m_refused.push_back({id, false, {}}); }
    virtual std::vector<FetchResult> finishedFetches() { return std::exchange(m_refused, {}); }
    // A movie or image into a clip or a level (MovieClipLoader; `id` 0
    // when nobody waits to hear), or back to an empty clip when `url` is
    // empty. The outcome comes at a frame boundary through
    // finishedClipLoads(), never before this returns.
    struct ClipLoadResult {
        std::uint64_t id = 0;
        // What holds the load now (the target, made afresh), null when none.
        ClipHandle clip;
        // Empty when it arrived, else as MovieClipLoader.onLoadError names
        // it: "URLNotFound", "LoadNeverCompleted".
        std::string error;
        double bytesLoaded = 0;
        double bytesTotal = 0;
        // A movie, whose first frame runs before onLoadInit is heard.
        bool movie = false;
    };
    virtual void loadClip(std::uint64_t id, ClipHandle /*target*/, int /*level*/, std::string_view /*url*/)
    {
        m_refusedClips.push_back({id, {}, "URLNotFound"});
    }
    virtual std::vector<ClipLoadResult> finishedClipLoads() { return std::exchange(m_refusedClips, {}); }
    // How far the fetches and clip loads still under way have come, by
    // their ids: bytes so far and the whole (0 while unknown).
    struct LoadProgress {
        std::uint64_t id = 0;
        double loaded = 0;
        double total = 0;
        bool clip = false; // a loadClip's, else a fetch's
    };
    virtual std::vector<LoadProgress> loadsUnderWay() { return {}; }

    // The movie's own address (file:///..., http://...), empty when it has
    // none.
    virtual const std::string& movieUrl() const
    {
        static const std::string none;
        return none;
    }
    // The stored objects (SharedObject) of this movie; null where nothing
    // is kept.
    virtual SharedObjectRegistry* sharedObjects() { return nullptr; }
    // What System.capabilities tells of the machine. Headless hosts answer
    // the same everywhere.
    struct SystemFacts {
        std::string language = "en";
        int screenWidth = 1024;
        int screenHeight = 768;
        int screenDpi = 72;
    };
    virtual SystemFacts systemFacts() { return {}; }

    // -- The display side: finding clips -----------------------------------
    // The movie at a level, or null when none is loaded there.
    virtual ClipHandle root(int level) = 0;
    // The parent clip, null for a level's root.
    virtual ClipHandle parent(ClipHandle clip) = 0;
    // A child by instance name, case-insensitive when asked.
    virtual ClipHandle child(ClipHandle clip, std::string_view name, bool caseSensitive) = 0;
    // Named children in the order for..in lists them.
    virtual void childNames(ClipHandle clip, std::vector<std::string>& names) = 0;
    virtual bool alive(ClipHandle clip) = 0;
    // An absolute dot path: "_level0.a.b".
    virtual ClipHandle findClip(std::string_view path) = 0;
    // The clip's absolute dot path, "_level0" for a level root.
    virtual std::string targetPath(ClipHandle clip) = 0;
    // The level number of the clip's root.
    virtual int level(ClipHandle clip) = 0;
    // What `_root` names for code in the clip: its level's root, or a clip
    // above it that locked the root to itself.
    virtual ClipHandle rootOf(ClipHandle clip) { return root(clip ? level(clip) : 0); }

    // -- Properties --------------------------------------------------------
    virtual HostValue property(ClipHandle clip, ClipProperty property) = 0;
    // Values come already converted: numbers for the numeric properties,
    // a string for _name, a boolean for _visible.
    virtual void setProperty(ClipHandle clip, ClipProperty property, const HostValue& value) = 0;

    // -- Timeline ----------------------------------------------------------
    virtual void play(ClipHandle clip) = 0;
    virtual void stop(ClipHandle clip) = 0;
    // Frames count from 0 here. Out-of-range frames are the host's to
    // clamp or ignore, as the timeline rules say.
    virtual void gotoFrame(ClipHandle clip, int frame, bool andPlay) = 0;
    // A frame label, or "Scene 2" style scene names; false when unknown.
    virtual bool gotoLabel(ClipHandle clip, std::string_view label, bool andPlay) = 0;
    // The 0-based frame a label names, if any.
    virtual std::optional<int> frameOfLabel(ClipHandle clip, std::string_view label) = 0;
    // Runs the actions of one of the clip's frames (the Call action)
    // through Machine::runActions, without moving the playhead.
    virtual void callFrame(ClipHandle clip, int frame) = 0;
    virtual void nextFrame(ClipHandle clip) = 0;
    virtual void previousFrame(ClipHandle clip) = 0;
    virtual int currentFrame(ClipHandle clip) = 0; // 0-based
    virtual int totalFrames(ClipHandle clip) = 0;
    virtual int framesLoaded(ClipHandle clip) = 0;
    // The format version of the movie the clip came from.
    virtual int swfVersion(ClipHandle /*clip*/) { return -1; }
    virtual double bytesLoaded(ClipHandle clip) = 0;
    virtual double bytesTotal(ClipHandle clip) = 0;

    // -- Making and removing clips ----------------------------------------
    // Null handles when it cannot be done (unknown export name, a depth
    // out of range, a clip that may not be duplicated).
    // An attached clip left `empty` holds nothing until fillFirstFrame.
    virtual ClipHandle attachMovie(ClipHandle parent, std::string_view exportName, std::string_view name, int depth, bool empty) = 0;
    virtual void fillFirstFrame(ClipHandle clip) = 0;
    virtual ClipHandle createEmptyMovieClip(ClipHandle parent, std::string_view name, int depth) = 0;
    virtual ClipHandle duplicateMovieClip(ClipHandle clip, std::string_view name, int depth) = 0;
    virtual void removeMovieClip(ClipHandle clip) = 0;
    // Swaps with whatever is at `depth` in the same parent, or moves there.
    virtual void swapDepths(ClipHandle clip, int depth) = 0;
    virtual void swapDepthsWith(ClipHandle clip, ClipHandle other) = 0;
    // Draws `clip` only where `mask` covers; a null mask ends it.
    virtual void setMask(ClipHandle /*clip*/, ClipHandle /*mask*/) { }
    virtual int depth(ClipHandle clip) = 0;
    virtual int nextHighestDepth(ClipHandle clip) = 0;
    virtual ClipHandle instanceAtDepth(ClipHandle clip, int depth) = 0;
    // The export name a clip was attached by, for Object.registerClass.
    virtual std::string exportName(ClipHandle clip) = 0;

    // -- Geometry ----------------------------------------------------------
    // In pixels, in the coordinate space of `space` (the clip itself when
    // null).
    virtual HostRect bounds(ClipHandle clip, ClipHandle space) = 0;
    virtual bool hitTestPoint(ClipHandle clip, double x, double y, bool shapeFlag) = 0;
    virtual bool hitTestClip(ClipHandle clip, ClipHandle other) = 0;
    virtual HostPoint localToGlobal(ClipHandle clip, HostPoint point) = 0;
    virtual HostPoint globalToLocal(ClipHandle clip, HostPoint point) = 0;
    // The stage as the movie's header sets it, in pixels.
    virtual HostRect stageArea() { return {}; }
    // The area the movie is shown in, in pixels from its top left: the
    // player's view, the screen's while full screen.
    virtual HostRect viewArea() { return stageArea(); }
    // Asks the player to show the movie full screen or back; false when
    // it refuses.
    virtual bool setFullScreen(bool /*on*/) { return false; }
    virtual bool fullScreen() { return false; }
    // The clip's own placement and colour, or with its parents' applied
    // (`concatenated`); nothing when the clip is gone. Hosts without a
    // display side have none.
    virtual std::optional<HostMatrix> matrix(ClipHandle, bool /*concatenated*/) { return std::nullopt; }
    virtual void setMatrix(ClipHandle, const HostMatrix&) { }
    virtual std::optional<HostColorTransform> colorTransform(ClipHandle, bool /*concatenated*/) { return std::nullopt; }
    virtual void setColorTransform(ClipHandle, const HostColorTransform&) { }
    virtual void startDrag(ClipHandle clip, bool lockCenter, std::optional<HostRect> constraint) = 0;
    virtual void stopDrag() = 0;

    // -- Input -------------------------------------------------------------
    // Key codes as Key.getCode() gives them.
    virtual bool keyIsDown(int code) { (void)code; return false; }
    virtual bool keyIsToggled(int code) { (void)code; return false; }
    virtual int lastKeyCode() { return 0; }
    virtual int lastKeyAscii() { return 0; }
    // Shows or hides the pointer over the stage; says whether it showed before.
    virtual bool setPointerShown(bool shown) { (void)shown; return true; }

    // -- Drawing -----------------------------------------------------------
    // The drawing a clip's drawing methods change, null for anything that
    // cannot take one; whatever is done to it shows on stage.
    virtual ClipDrawing* drawing(ClipHandle) { return nullptr; }
    // The filters a clip is drawn through, and script's replacement for
    // them (empty: none); a clip that cannot take them keeps none.
    virtual std::vector<Filter> filters(ClipHandle) { return {}; }
    virtual void setFilters(ClipHandle, std::vector<Filter>) { }
    // Shows a script's bitmap at `depth` of `parent` (attachBitmap), as it
    // is at each frame; false where it cannot.
    virtual bool attachBitmap(ClipHandle /*parent*/, std::shared_ptr<BitmapCanvas> /*canvas*/, int /*depth*/, bool /*smoothing*/)
    {
        return false;
    }
    // The pixels of the bitmap exported as `name` (unpremultiplied
    // ARGB32) into `pixels`; false when there is none.
    virtual bool exportedBitmap(std::string_view /*name*/, QImage& /*pixels*/) { return false; }
    // What script's bitmaps count against: the movie's memory budget.
    virtual std::shared_ptr<MemoryBudget> bitmapBudget() { return nullptr; }
    // Draws `clip` and what it holds into `target` (premultiplied ARGB32)
    // through `matrix` from the clip's space, in pixels; false when it
    // cannot be drawn.
    virtual bool drawClip(ClipHandle /*clip*/, QImage& /*target*/, const HostMatrix& /*matrix*/, const HostColorTransform& /*cxform*/,
                          bool /*smoothing*/)
    {
        return false;
    }
    // The same for another bitmap's pixels (unpremultiplied ARGB32).
    virtual bool drawPixels(const QImage& /*pixels*/, QImage& /*target*/, const HostMatrix& /*matrix*/, const HostColorTransform& /*cxform*/,
                            bool /*smoothing*/)
    {
        return false;
    }
    // Runs `filter` over `layer` (premultiplied ARGB32) at one pixel to the
    // pixel; false when it cannot.
    virtual bool applyFilter(QImage& /*layer*/, const Filter& /*filter*/) { return false; }

    // -- Text fields -------------------------------------------------------
    // The field a handle names, null for anything else: fields are script
    // objects of their own kind, reached like clips.
    virtual EditTextInstance* textField(ClipHandle) { return nullptr; }
    virtual bool isButton(ClipHandle) { return false; }
    // The video on stage behind `clip`, null for anything else.
    virtual VideoInstance* video(ClipHandle) { return nullptr; }
    // A new empty field at `depth` of `parent`, `area` in pixels in the
    // parent's space; null where a clip could not be made.
    virtual ClipHandle createTextField(ClipHandle /*parent*/, std::string_view /*name*/, int /*depth*/, const HostRect& /*area*/) { return {}; }
    // What has keyboard focus (Selection): null for nothing, or once it is gone.
    virtual ClipHandle focus() { return {}; }
    virtual void setFocus(ClipHandle) { }
    // The characters of the static texts placed on `clip` itself, the
    // lowest depth first (TextSnapshot).
    virtual std::vector<HostCharacter> staticText(ClipHandle) { return {}; }

    // -- Sound and quality -------------------------------------------------
    virtual void stopAllSounds() = 0;
    virtual void toggleQuality() = 0;
    // What the Sound and NetStream classes play through; null where
    // nothing plays.
    virtual MediaHost* media() { return nullptr; }

    // -- Printing ----------------------------------------------------------
    // Asks the person which printer for a job of the movie's pages (the
    // system's print dialog); null when they cancel or there is no printer
    // to ask, as in headless runs.
    virtual std::unique_ptr<PrintSpool> startPrintJob() { return nullptr; }

private:
    std::vector<FetchResult> m_refused;
    std::vector<ClipLoadResult> m_refusedClips;
};

} // namespace swf::script
