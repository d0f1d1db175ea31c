#pragma once

// The video of an FLV file NetStream plays: its video tags in file order,
// decoded up to the stream's time as it moves on. Going back (a seek)
// starts again from the last key frame at or before the time gone to.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include <QImage>

#include "swf/media/VideoCodec.h"

namespace swf::script {

class StreamVideo {
public:
    // `file` is the whole FLV file; a file without video gives no pictures.
    explicit StreamVideo(std::vector<std::uint8_t> file);

    bool hasVideo() const { return !m_frames.empty(); }
    // The picture on show at `ms` into the stream, null before the first;
    // the same pointer while it stays the same picture. A stream that
    // cannot be decoded says why once in `error`.
    std::shared_ptr<const QImage> pictureAt(double ms, std::string& error);

private:
    struct Frame {
        std::uint32_t time = 0;
        bool key = false;
        std::span<const std::uint8_t> body; // the tag's, in m_file
    };
    bool decode(const Frame& frame, std::string& error);

    std::vector<std::uint8_t> m_file;
    std::vector<Frame> m_frames;
    std::unique_ptr<VideoCodec> m_codec;
    std::vector<std::uint8_t> m_config; // H.264's decoder configuration
    int m_next = 0;                     // the next frame to decode
    bool m_failed = false;
    bool m_reported = false;
    std::shared_ptr<const QImage> m_picture;
};

} // namespace swf::script
