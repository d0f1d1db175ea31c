#pragma once

// Where the movie control's sound goes: something that pulls the player's
// mix at its own pace, as a sound card does. The control takes the
// desktop's output device unless given another (tests give one that
// pulls as a simulated clock says).

#include <cstdint>
#include <functional>
#include <span>

namespace flash {

class AudioSink {
public:
    // Fills `out` with the next out.size() / 2 stereo frames of the mix, at
    // the player's rate; callable from any thread.
    using Pull = std::function<void(std::span<std::int16_t> out)>;

    virtual ~AudioSink() = default;

    // Starts pulling through `pull`; false when the sound has nowhere to go
    // (no device), and then `pull` is never called.
    virtual bool start(Pull pull) = 0;
    // Stops pulling: once this returns, `pull` is not running and is never
    // called again.
    virtual void stop() = 0;
};

} // namespace flash
