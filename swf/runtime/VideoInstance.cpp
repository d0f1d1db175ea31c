#include "swf/runtime/VideoInstance.h"

#include "swf/read/Diagnostics.h"
#include "swf/read/TagCode.h"
#include "swf/runtime/Stage.h"

namespace swf {

VideoInstance::VideoInstance(Stage& stage, std::uint16_t characterId, std::shared_ptr<const VideoStreamDefinition> definition)
    : DisplayObject(Type::Video, stage, characterId, definition)
    , m_definition(std::move(definition))
    , m_smoothing(m_definition->smoothing)
    , m_deblocking(m_definition->deblocking)
{
}

VideoInstance::~VideoInstance() = default;

std::shared_ptr<const QImage> VideoInstance::picture() const
{
    if (!m_streamKey)
        decodeUpTo(ratio());
    return m_picture;
}

void VideoInstance::decodeUpTo(std::uint16_t frame) const
{
    const std::vector<std::uint16_t> frames = m_definition->framesToShow(frame, m_decoded);
    if (frames.empty())
        return;
    const auto report = [this](const std::string& message) {
        // One diagnostic per object: a broken stream would repeat it every frame.
        if (!m_reported)
            stage().diagnostics().report(0, int(TagCode::VideoFrame), message);
        m_reported = true;
    };
    std::string error;
    // Decoding from a key frame starts the decoder afresh, so that nothing
    // of the frames left behind leaks into it.
    if (!m_codec || int(frames.front()) <= m_decoded)
        m_codec = VideoCodec::open(m_definition->codec, error);
    if (!m_codec) {
        report("video stream " + std::to_string(characterId()) + ": " + error);
        return;
    }
    bool pictured = false;
    for (const std::uint16_t number : frames) {
        const VideoStreamDefinition::Packet packet = m_definition->frame(number);
        if (!packet)
            continue;
        if (m_codec->decode(*packet, error))
            pictured = true;
        else if (!error.empty())
            report("video stream " + std::to_string(characterId()) + ", frame " + std::to_string(number) + ": " + error);
    }
    m_decoded = frames.back();
    if (pictured)
        m_picture = std::make_shared<const QImage>(m_codec->picture());
}

void VideoInstance::attachStream(std::uint64_t key)
{
    if (key == m_streamKey)
        return;
    m_streamKey = key;
    // Either way the embedded frames start again from nothing: the picture
    // on show stays until the next one comes.
    m_codec.reset();
    m_decoded = -1;
    changed();
}

void VideoInstance::showStreamPicture(std::shared_ptr<const QImage> picture)
{
    if (picture == m_picture)
        return;
    m_picture = std::move(picture);
    changed();
}

void VideoInstance::clear()
{
    if (!m_picture)
        return;
    m_picture.reset();
    changed();
}

void VideoInstance::setSmoothing(bool smoothing)
{
    if (smoothing == m_smoothing)
        return;
    m_smoothing = smoothing;
    changed();
}

} // namespace swf
