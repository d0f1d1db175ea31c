#pragma once

// The timelines' sound tags acted on as the frame loop passes them:
// StartSound and StartSound2 start or stop event sounds in the frame that
// carries them, and each timeline's stream (its head, then a block a
// frame) is decoded and fed to the mixer block by block.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>

#include "swf/define/Dictionary.h"
#include "swf/define/SoundInfo.h"
#include "swf/media/SoundDecoder.h"
#include "swf/read/Diagnostics.h"
#include "swf/runtime/FrameEvents.h"
#include "swf/runtime/InputState.h"
#include "swf/runtime/SoundMixer.h"

namespace swf {

class ButtonInstance;

class SoundTimeline final : public FrameListener {
public:
    // `tagBody` gives a carried tag's bytes from the movie's stream.
    using TagBody = std::function<std::span<const std::uint8_t>(const TagRef&)>;

    SoundTimeline(SoundMixer& mixer, std::shared_ptr<const Dictionary> dictionary, TagBody tagBody, Diagnostics& diagnostics);

    void mediaTag(SpriteInstance& sprite, const TagRef& tag, bool shown) override;
    void frameEvents(const std::vector<FrameEvent>& events) override;
    void exitFrame() override;

    // A button's own sound for the move, when its DefineButtonSound gives one.
    void buttonMoved(const ButtonInstance& button, PointerTransition transition);

private:
    struct Stream {
        SoundStreamHead head;
        std::unique_ptr<SoundDecoder> decoder;
        bool fed = false; // a block arrived this tick
        bool reported = false;
    };

    // `dictionary` is that of the movie whose timeline started the sound.
    void startSound(std::uint64_t clip, const TagRef& tag, std::span<const std::uint8_t> body, const Dictionary& dictionary);
    void start(std::uint16_t id, const SoundInfo& info, std::uint64_t clip, const TagRef& tag, const Dictionary& dictionary);
    void streamBlock(std::uint64_t key, Stream& stream, const TagRef& tag, std::span<const std::uint8_t> body);
    // Tells the mixer whose child `clip` is, and so on up, so that the
    // levels of the clips around it act on its sounds.
    void nest(const DisplayObject& clip);

    SoundMixer& m_mixer;
    std::shared_ptr<const Dictionary> m_dictionary;
    TagBody m_tagBody;
    Diagnostics& m_diagnostics;
    std::map<std::uint64_t, Stream> m_streams; // by timeline
    std::vector<std::int16_t> m_decoded;
};

} // namespace swf
