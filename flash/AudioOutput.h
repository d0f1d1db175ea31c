#pragma once

// The movie's sound on the desktop's default output device. The device
// pulls the player's mix on a thread of its own, so a busy interface (a
// resize, a slow frame) does not starve it. Where there is no device
// (headless, CI) there is no sound and no error: whoever drives the
// player mixes the frames' sound itself and lets it go.

#include <QObject>
#include <QThread>

#include "flash/AudioSink.h"

namespace flash {

class AudioOutput final : public QObject, public AudioSink {
    Q_OBJECT
public:
    AudioOutput() = default;
    ~AudioOutput() override;

    bool start(Pull pull) override;
    void stop() override;

private:
    class Sink;

    QThread m_thread;
    Sink* m_sink = nullptr;
};

} // namespace flash
