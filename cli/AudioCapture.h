#pragma once

// `tvk run --audio-out DIR`: every sound the run starts, written to a file
// of its own as raw PCM (44,100 Hz, stereo, signed 16-bit little-endian),
// named MOVIE.F.N.raw for the N-th sound first heard in frame F.

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <utility>

#include <QFile>
#include <QString>

namespace swf {
class Player;
}

namespace cli {

class AudioCapture {
public:
    // Files go to `folder`, named after `movieName`. The folder is made if
    // it is not there.
    AudioCapture(QString folder, QString movieName);
    // Empty when the folder can be written to, else why not.
    QString prepare();

    // Taps `player`'s sounds and mixes the audio of each frame the run
    // plays, so that the sounds advance as they would in the control.
    void attach(swf::Player& player);
    void playFrame(swf::Player& player, double frameRate);

    // The first failure to write, or empty.
    const QString& error() const { return m_error; }

private:
    void write(int frame, int index, std::span<const std::int16_t> samples);

    QString m_folder;
    QString m_movieName;
    std::map<std::pair<int, int>, std::unique_ptr<QFile>> m_files;
    std::uint64_t m_framesPlayed = 0;
    std::uint64_t m_samplesMixed = 0;
    QString m_error;
};

} // namespace cli
