#pragma once

// The FLV file NetStream plays, as it arrives: its bytes so far, how far
// into the stream they reach, its description, its video tags in file
// order, decoded up to the stream's time as it moves on, and its audio
// tags, decoded a little ahead of it for the mixer. Going back (a seek)
// starts the video again from the last key frame at or before the time
// gone to, the sound from the first tag at or after it.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <QImage>

#include "swf/media/FlvAudio.h"
#include "swf/media/FlvFile.h"
#include "swf/media/VideoCodec.h"

namespace swf::script {

class StreamFile {
public:
    StreamFile() = default;
    // `file` is the whole FLV file.
    explicit StreamFile(std::vector<std::uint8_t> file);

    // More of the file, as it came. False once what came cannot be an FLV
    // file (the reason in error()); what had come before still plays.
    bool append(std::span<const std::uint8_t> more);
    const std::string& error() const { return m_reader.error(); }
    bool headerRead() const { return m_reader.headerRead(); }
    std::size_t size() const { return m_file.size(); }
    // The latest time of any tag that has come whole, in ms; none before
    // the first.
    std::optional<double> reach() const { return m_reach; }
    // The body of the first onMetaData script tag, once it has come.
    std::optional<std::span<const std::uint8_t>> metadata() const;

    bool hasVideo() const { return !m_frames.empty(); }
    // The picture on show at `ms` into the stream, null before the first;
    // the same pointer while it stays the same picture. A stream that
    // cannot be decoded says why once in `error`.
    std::shared_ptr<const QImage> pictureAt(double ms, std::string& error);

    bool hasSound() const { return !m_sounds.empty(); }
    // The next sound goes on from the first audio tag at or after `ms`,
    // whose time it answers; none when no tag that late has come yet.
    std::optional<double> seekSound(double ms);
    // The sound of the audio tags from the next one on, up to those due
    // at `until` ms or later, all in one format: a tag that changes it is
    // left for the next part. A tag that cannot be decoded gives nothing
    // and says why once in `error`.
    struct SoundPart {
        double startsAt = 0; // ms, the first tag's time
        int doubledRate = 0;
        int channels = 0;
        std::vector<std::int16_t> samples;
    };
    std::optional<SoundPart> soundUntil(double until, std::string& error);
    // What the mixer has had of the stream's sound since it last started:
    // kept here, with the file, for the one stream that plays it.
    struct SoundFeed {
        bool started = false;
        double origin = 0; // the stream's time at its first sample, ms
        int doubledRate = 0;
        int channels = 0;
    };
    SoundFeed& soundFeed() { return m_feed; }

private:
    // A tag's body by where it lies in m_file, which moves as it grows.
    struct Body {
        std::size_t at = 0;
        std::size_t size = 0;
    };
    struct Frame {
        std::uint32_t time = 0;
        bool key = false;
        Body body;
    };
    std::span<const std::uint8_t> bodyOf(Body body) const { return std::span(m_file).subspan(body.at, body.size); }
    bool decode(const Frame& frame, std::string& error);

    std::vector<std::uint8_t> m_file;
    FlvReader m_reader;
    std::optional<double> m_reach;
    std::optional<Body> m_metadata;
    std::vector<Frame> m_frames;
    std::unique_ptr<VideoCodec> m_codec;
    std::vector<std::uint8_t> m_config; // H.264's decoder configuration
    int m_next = 0;                     // the next frame to decode
    bool m_failed = false;
    bool m_reported = false;
    std::shared_ptr<const QImage> m_picture;

    struct SoundTag {
        std::uint32_t time = 0;
        Body body;
    };
    std::vector<SoundTag> m_sounds;
    std::size_t m_nextSound = 0;
    FlvAudioDecoder m_audio;
    bool m_soundReported = false;
    SoundFeed m_feed;
};

} // namespace swf::script
