#pragma once

// The engine as the movie control sees it: bytes go in as they arrive,
// whole frames come out at the movie's frame rate. There is no wall clock
// in here; whoever owns the player calls advance() once per frame (a
// FrameScheduler says how many are due) and draws what captureFrame() gives.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "swf/Color.h"
#include "swf/Diagnostic.h"
#include "swf/Header.h"

namespace swf {

class Clipboard;
class Clock;
class Dictionary;
class Movie;
class Stage;
struct StageFrame;

namespace script {
class Fetcher;
class PrintSpool;
} // namespace script

class Player {
public:
    Player();
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Loading. open() forgets any previous movie and starts a new one; the
    // movie's bytes then arrive in order through feed(), and finish() says
    // that no more will come (end of file, or the transfer ended early).
    void open();
    void feed(std::span<const std::uint8_t> bytes);
    void finish();
    // Forgets the movie: the player holds nothing and shows nothing.
    void clear();

    // Script. Each trace() line goes to `sink`, without its line break.
    void setTraceOutput(std::function<void(std::string_view)> sink);
    // From the next movie opened on, with a clock (which must outlive the
    // player): getTimer() and script timers follow it, dates and time zone
    // are the machine's, and a runaway script is stopped by time. Without
    // (the default, for tools and tests) the script clock follows the
    // frames played and a run is the same every time.
    void setScriptClock(const Clock* clock);
    // The movie's own address (file:///... or http(s)://...): what script
    // loads resolve against and the sandbox judges by. Without one a movie
    // loads nothing.
    void setMovieUrl(std::string url);
    // What fetches the web addresses script loads from (movies opened from
    // then on). Without one, script reads local files only, as a
    // reproducible run needs.
    void setWebFetcher(std::shared_ptr<script::Fetcher> fetcher);
    // Where movies' stored objects (SharedObject) are kept between runs.
    // Without one (the default, for tools and tests) they last as long as
    // the player.
    void setStorageFolder(std::string folder);
    // What movies opened from now on may learn of the machine
    // (System.capabilities): the desktop's language as two letters, the
    // screen's size in pixels and its dots per inch. Without, they are
    // the same everywhere, as a reproducible run needs.
    void setSystemFacts(std::string language, int screenWidth, int screenHeight, int screenDpi);
    // The size in pixels the movie is shown at, which script sees as the
    // stage's under "noScale" (a change is heard as Stage.onResize).
    void setViewSize(int width, int height);
    // Decides whether a movie may go full screen (true) or back (false)
    // and takes it there. Without one, as headless, the screen of the
    // system facts is the movie's for the asking.
    void setFullScreenHandler(std::function<bool(bool)> handler);
    // Opens a print job when a movie's script asks for one (PrintJob), the
    // print dialog shown while the script waits; null for a cancel.
    // Without one, as headless, movies find no printer.
    void setPrintHandler(std::function<std::unique_ptr<script::PrintSpool>()> handler);
    // The user left full screen (Escape): the movie hears of it as if it
    // had asked.
    void leaveFullScreen();
    // The movie asked to end the run (fscommand "quit").
    bool quitRequested() const;

    // True once the header has been read and the movie can be shown.
    bool hasMovie() const;
    // True when the bytes are not a movie we can play; error() says why.
    bool failed() const;
    const std::string& error() const;
    const Header* header() const;
    // What the engine skipped or could not make sense of, first ones first;
    // past a cap they are only counted.
    std::vector<Diagnostic> diagnostics() const;
    std::size_t diagnosticsDropped() const;
    // Why the movie was stopped for good (it ran out of memory), or empty.
    const std::string& haltReason() const;
    // The memory a movie's decoded bitmaps may take at once, from the next
    // movie opened on.
    void setMemoryBudget(std::size_t bytes);
    // The instructions a movie's scripts may run in all where the frame
    // clock is not real time (headless runs, tests), after which they are
    // stopped, at the same place every time; the player's own limit is the
    // wall clock. From the next movie opened on.
    static constexpr std::uint64_t kDefaultInstructionBudget = 20'000'000;
    void setInstructionBudget(std::uint64_t instructions);

    // Playback. Frames count from 0, as the control reports them.
    int currentFrame() const;
    int frameCount() const;
    int framesLoaded() const;
    double frameRate() const;
    // 0..100: what has arrived against the length the header declares.
    int percentLoaded() const;
    // Bytes of the uncompressed stream available so far.
    std::uint64_t bytesLoaded() const;
    // All the movie there will be has arrived: finish() was called or the
    // End tag was read.
    bool isComplete() const;

    // The rate the frame clock should tick at. frameRate() reports the
    // header as it is, but a rate of 0 (seen in real movies) or an absurd
    // one is no use to a timer: 0 runs at 12 fps, the rest is held to
    // 1..120 fps.
    double clockFrameRate() const;
    int frameIntervalMs() const;
    static constexpr double kDefaultFrameRate = 12;
    static constexpr double kMinFrameRate = 1;
    static constexpr double kMaxFrameRate = 120;

    bool isPlaying() const;
    void play();
    void stop();
    bool loops() const;
    void setLoop(bool loop);
    // One tick of the frame loop for the whole movie: the main timeline
    // moves to its next frame when playing and that frame has arrived (at
    // the end it wraps when looping, else stops); sprites move on their own
    // clocks even when the main timeline stands still.
    void advance();
    void gotoFrame(int frame);

    // Goes up whenever what the stage shows changes (the background colour
    // included): an unchanged value means there is nothing new to draw.
    std::uint64_t stageVersion() const;

    // The stage colour: the movie's own, unless one was set from outside.
    Color backgroundColor() const;
    void setBackgroundColor(Color color);

    // Sound: the movie's sounds mixed to 44.1 kHz stereo, signed 16-bit,
    // interleaved. mixAudio() fills `out` with the next out.size() / 2
    // frames and may be called from another thread than the frame loop's.
    static constexpr int kAudioRate = 44'100;
    void mixAudio(std::span<std::int16_t> out);
    // Each sound's own output as it is mixed: the `index`-th sound first
    // heard in output frame `frame` (those the first frame starts are first
    // heard in frame 1, those of the n-th advance in frame n + 1).
    void setSoundTap(std::function<void(int frame, int index, std::span<const std::int16_t> samples)> tap);
    // While it plays: output frames of that stream taken in and not yet
    // mixed, so that whoever drives the player can keep it fed.
    std::optional<std::uint64_t> soundAhead() const;
    // 0..1 for the whole mix; muting keeps the sounds going, unheard.
    void setVolume(double volume);
    void setMuted(bool muted);

    // What is on stage now, for drawing on any thread.
    void captureFrame(StageFrame& frame) const;

    // Input, at stage points in twips (the frame rectangle's origin
    // included, as stageTransform() maps them). Key codes are the movie's
    // (Key.LEFT and the like), `ascii` the character typed, 0 for none.
    // Handlers run at once; what they change shows in the next frame drawn.
    void pointerMove(double x, double y);
    void pointerPress();
    void pointerRelease();
    // Notches, positive away from the user.
    void wheel(int delta);
    void keyDown(int code, int ascii);
    void keyUp(int code, int ascii);
    enum class Cursor { Arrow, Hand, IBeam, Hidden };
    Cursor cursor() const;

    // Text entry. A second press in quick succession: as a press, and in a
    // text field it selects the word under the pointer.
    void pointerDoubleClick();
    // Text as an input method commits it (UTF-8), typed into the field
    // that has focus.
    void enterText(std::string_view utf8);
    // The clipboard fields cut, copy and paste through (it must outlive
    // the player); null, the default, for one the player keeps to itself.
    void setClipboard(Clipboard* clipboard);
    // A text field has the keyboard: editing shortcuts are the movie's.
    bool hasTextFocus() const;
    // Where the focused field's caret is, in stage twips.
    struct StageRect {
        double x = 0;
        double y = 0;
        double width = 0;
        double height = 0;
    };
    std::optional<StageRect> caretRect() const;
    // The movie's items for a right-click at a stage point (twips), its
    // menu's onSelect run first; and the built-in items it hides, by the
    // names script gives them ("zoom", "quality", "play", "loop",
    // "rewind", "forward_back", "print").
    struct MenuItem {
        std::string caption;
        bool enabled = true;
        bool separatorBefore = false;
    };
    struct MovieMenu {
        std::vector<MenuItem> items;
        std::vector<std::string> hiddenBuiltIns;
    };
    MovieMenu movieMenuAt(double x, double y);
    // The `index`-th item of the last movieMenuAt() was chosen: its
    // onSelect runs at the next frame boundary.
    void chooseMovieMenuItem(std::size_t index);

    const Movie* movie() const;
    // The display tree (null before a movie's header has arrived) and the
    // characters the movie has defined so far.
    const Stage* stage() const;
    Stage* stage();
    const Dictionary* dictionary() const;

    struct State;

private:
    std::unique_ptr<State> m_state;
};

} // namespace swf
