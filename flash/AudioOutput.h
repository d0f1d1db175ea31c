#pragma once

// The movie's sound on the desktop's default output device. The device
// pulls the player's mix on a thread of its own, so a busy interface (a
// resize, a slow frame) does not starve it. Where there is no device
// (headless, CI) there is no sound and no error: whoever drives the
// player mixes the frames' sound itself and lets it go.

#include <QObject>
#include <QThread>

namespace swf {
class Player;
}

namespace flash {

class AudioOutput : public QObject {
    Q_OBJECT
public:
    // `player` must outlive the output.
    explicit AudioOutput(swf::Player& player);
    ~AudioOutput() override;

    // True while a device takes the sound.
    bool isPlaying() const { return m_playing; }

private:
    class Sink;

    QThread m_thread;
    Sink* m_sink = nullptr;
    bool m_playing = false;
};

} // namespace flash
