#pragma once

// The movie runtime as the movie control sees it: bytes go in as they
// arrive, whole frames come out at the movie's frame rate. There is no wall
// clock in here; whoever owns the player calls advance() once per frame.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "swf/Color.h"
#include "swf/Diagnostic.h"
#include "swf/Header.h"

namespace swf {

class Dictionary;
class Movie;
struct DisplayObject;

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

    // True once the header has been read and the movie can be shown.
    bool hasMovie() const;
    // True when the bytes are not a movie we can play; error() says why.
    bool failed() const;
    const std::string& error() const;
    const Header* header() const;
    const std::vector<Diagnostic>& diagnostics() const;

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
    // One tick of the frame clock: moves to the next frame when playing and
    // that frame has arrived; at the end it wraps when looping, else stops.
    void advance();
    void gotoFrame(int frame);

    // The stage colour: the movie's own, unless one was set from outside.
    Color backgroundColor() const;
    void setBackgroundColor(Color color);

    // For the renderer: what is on stage now.
    const Movie* movie() const;
    // The main timeline's display list (null before the first frame) and
    // the characters the movie has defined so far.
    const std::map<int, DisplayObject>* displayList() const;
    const Dictionary* dictionary() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace swf
