#pragma once

// A video on stage: a DefineVideoStream character showing the frame its
// placement's ratio names, or, once script attaches a stream to it, the
// stream's pictures. The decoder lives with the object, so two placements
// of one video decode apart; a frame is decoded when the stage is copied
// out for drawing, not for frames nobody sees.

#include <cstdint>
#include <memory>

#include <QImage>

#include "swf/define/VideoStreamDefinition.h"
#include "swf/media/VideoCodec.h"
#include "swf/runtime/DisplayObject.h"

namespace swf {

class VideoInstance final : public DisplayObject {
public:
    VideoInstance(Stage& stage, std::uint16_t characterId, std::shared_ptr<const VideoStreamDefinition> definition);
    ~VideoInstance() override;

    const VideoStreamDefinition& definition() const { return *m_definition; }

    // The picture on show, null for none. Brings the embedded frames up to
    // the ratio first, unless a stream is attached.
    std::shared_ptr<const QImage> picture() const;
    // Script attaches a stream, known by a key of its own choosing; 0
    // hands the object back to its own frames.
    void attachStream(std::uint64_t key);
    std::uint64_t streamKey() const { return m_streamKey; }
    // What the attached stream shows now.
    void showStreamPicture(std::shared_ptr<const QImage> picture);
    // Script's clear(): nothing shows until the next frame is decoded.
    void clear();

    bool smoothing() const { return m_smoothing; }
    void setSmoothing(bool smoothing);
    std::uint8_t deblocking() const { return m_deblocking; }
    void setDeblocking(std::uint8_t deblocking) { m_deblocking = deblocking; }

private:
    void decodeUpTo(std::uint16_t frame) const;

    std::shared_ptr<const VideoStreamDefinition> m_definition;
    bool m_smoothing;
    std::uint8_t m_deblocking;
    std::uint64_t m_streamKey = 0;
    // The decoding state of the embedded frames, brought forward lazily.
    mutable std::unique_ptr<VideoCodec> m_codec;
    mutable int m_decoded = -1;
    mutable bool m_reported = false;
    mutable std::shared_ptr<const QImage> m_picture;
};

} // namespace swf
