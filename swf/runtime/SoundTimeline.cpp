#include "swf/runtime/SoundTimeline.h"

#include "swf/define/SoundDefinition.h"
#include "swf/read/TagCode.h"
#include "swf/runtime/ButtonInstance.h"
#include "swf/runtime/LoadedMovie.h"
#include "swf/runtime/SpriteInstance.h"

namespace swf {

SoundTimeline::SoundTimeline(SoundMixer& mixer, std::shared_ptr<const Dictionary> dictionary, TagBody tagBody, Diagnostics& diagnostics)
    : m_mixer(mixer)
    , m_dictionary(std::move(dictionary))
    , m_tagBody(std::move(tagBody))
    , m_diagnostics(diagnostics)
{
}

void SoundTimeline::mediaTag(SpriteInstance& sprite, const TagRef& tag, bool shown)
{
    // A loaded movie's tags are in its own bytes, its sounds in its own
    // dictionary.
    const LoadedMovie* movie = sprite.loadedMovie().get();
    const std::span<const std::uint8_t> body = movie ? movie->tagBody(tag) : m_tagBody(tag);
    const std::uint64_t key = sprite.id();
    switch (TagCode(tag.code)) {
    case TagCode::StartSound:
    case TagCode::StartSound2:
        // A sound of a frame a jump passed over is not heard.
        if (shown) {
            nest(sprite);
            startSound(key, tag, body, sprite.dictionary());
        }
        return;
    case TagCode::SoundStreamHead:
    case TagCode::SoundStreamHead2: {
        Result<SoundStreamHead> head = readSoundStreamHead(body);
        if (!head) {
            m_diagnostics.report(tag.offset, tag.code, head.error());
            return;
        }
        nest(sprite);
        Stream& stream = m_streams[key];
        stream.head = head.value();
        stream.decoder.reset();
        m_mixer.closeStream(key);
        return;
    }
    case TagCode::SoundStreamBlock: {
        const auto found = m_streams.find(key);
        if (found == m_streams.end())
            return;
        if (!shown) {
            // The stream picks up afresh where the jump lands.
            found->second.decoder.reset();
            m_mixer.closeStream(key);
            return;
        }
        streamBlock(key, found->second, tag, body);
        return;
    }
    default:
        return;
    }
}

void SoundTimeline::startSound(std::uint64_t clip, const TagRef& tag, std::span<const std::uint8_t> body, const Dictionary& dictionary)
{
    Result<StartSoundCommand> command = readStartSound(tag.code, body);
    if (!command) {
        m_diagnostics.report(tag.offset, tag.code, command.error());
        return;
    }
    std::uint16_t id = command.value().soundId;
    if (tag.code == TagCode::StartSound2) {
        const std::optional<std::uint16_t> exported = dictionary.exported(command.value().className);
        if (!exported)
            return;
        id = *exported;
    }
    start(id, command.value().info, clip, tag, dictionary);
}

void SoundTimeline::start(std::uint16_t id, const SoundInfo& info, std::uint64_t clip, const TagRef& tag, const Dictionary& dictionary)
{
    const std::shared_ptr<const SoundDefinition> sound = dictionary.sound(id);
    if (!sound) {
        m_diagnostics.report(tag.offset, tag.code, "start of sound " + std::to_string(id) + ", which is not defined");
        return;
    }
    if (info.stop) {
        m_mixer.stopEvent(id);
        return;
    }
    std::shared_ptr<const PcmSound> pcm = sound->pcm();
    if (!pcm) {
        m_diagnostics.report(tag.offset, tag.code, "sound " + std::to_string(id) + ": " + sound->decodeError());
        return;
    }
    // The clip's levels (its Sound object's) act on what its timeline starts.
    m_mixer.startEvent(id, std::move(pcm), info, clip);
}

void SoundTimeline::buttonMoved(const ButtonInstance& button, PointerTransition transition)
{
    ButtonSounds::Move move;
    switch (transition) {
    case PointerTransition::RollOut: move = ButtonSounds::OverToIdle; break;
    case PointerTransition::RollOver: move = ButtonSounds::IdleToOver; break;
    case PointerTransition::Press: move = ButtonSounds::OverToDown; break;
    case PointerTransition::Release: move = ButtonSounds::DownToOver; break;
    default: return;
    }
    const std::optional<TagRef> tag = button.dictionary().buttonSounds(button.characterId());
    if (!tag)
        return;
    const LoadedMovie* movie = button.loadedMovie().get();
    const Result<ButtonSounds> sounds = readButtonSounds(movie ? movie->tagBody(*tag) : m_tagBody(*tag));
    if (!sounds) {
        m_diagnostics.report(tag->offset, tag->code, sounds.error());
        return;
    }
    const ButtonSounds::Entry& entry = sounds.value().entries[move];
    if (!entry.soundId)
        return;
    // Its timeline's Sound object acts on it, as on the sounds that timeline starts.
    const DisplayObject* timeline = button.parent();
    nest(timeline ? *timeline : button);
    start(entry.soundId, entry.info, timeline ? timeline->id() : button.id(), *tag, button.dictionary());
}

void SoundTimeline::streamBlock(std::uint64_t key, Stream& stream, const TagRef& tag, std::span<const std::uint8_t> body)
{
    if (!stream.decoder) {
        stream.decoder = std::make_unique<SoundDecoder>(stream.head.format);
        m_mixer.closeStream(key);
    }
    if (!m_mixer.hasStream(key))
        m_mixer.openStream(key, stream.head.format.doubledRate(), stream.head.format.channels());
    stream.fed = true;
    m_decoded.clear();
    if (!stream.decoder->decode(streamBlockSoundData(stream.head.format, body), m_decoded) && !stream.reported) {
        stream.reported = true;
        m_diagnostics.report(tag.offset, tag.code, "sound stream: " + stream.decoder->error());
    }
    m_mixer.appendStream(key, m_decoded);
}

void SoundTimeline::nest(const DisplayObject& clip)
{
    for (const DisplayObject* child = &clip; child; child = child->parent())
        m_mixer.setGroupParent(child->id(), child->parent() ? child->parent()->id() : 0);
}

void SoundTimeline::frameEvents(const std::vector<FrameEvent>& events)
{
    for (const FrameEvent& event : events)
        if (event.kind == FrameEvent::Kind::Removed && event.object) {
            m_mixer.closeStream(event.object->id());
            m_mixer.forgetGroup(event.object->id());
            m_streams.erase(event.object->id());
        }
}

// A stream ends with the first frame of its timeline that carries no block
// for it: the timeline stopped, or the sound did.
void SoundTimeline::exitFrame()
{
    for (auto& [key, stream] : m_streams) {
        if (!stream.fed && stream.decoder) {
            m_mixer.closeStream(key);
            stream.decoder.reset();
        }
        stream.fed = false;
    }
}

} // namespace swf
