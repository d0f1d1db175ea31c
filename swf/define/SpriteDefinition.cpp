#include "swf/define/Dictionary.h"

#include "swf/read/ByteReader.h"
#include "swf/read/TagCode.h"
#include "swf/read/TagWalker.h"

namespace swf {

Result<std::shared_ptr<SpriteDefinition>> readSpriteDefinition(std::span<const std::uint8_t> body, std::uint8_t swfVersion,
                                                               std::vector<std::string>& problems, std::uint64_t bodyOffset,
                                                               std::size_t& tagAllowance)
{
    std::size_t problemsFound = 0;
    const auto report = [&](const std::string& message) {
        if (++problemsFound <= kMaxSpriteProblems)
            problems.push_back("sprite: " + message);
    };
    ByteReader bytes(body);
    const auto frameCount = bytes.u16();
    if (!frameCount)
        return Result<std::shared_ptr<SpriteDefinition>>::failure("sprite header cut short");
    auto sprite = std::make_shared<SpriteDefinition>();
    sprite->frameCount = *frameCount;
    const std::span<const std::uint8_t> tags = bytes.rest();
    TagWalker walker(0);
    FrameScript& script = sprite->script;
    script.frames.emplace_back();
    bool pendingFrame = false; // tags seen since the last ShowFrame
    for (;;) {
        TagRecord tag;
        std::string problem;
        const TagWalker::Step step = walker.next(tags, tags.size(), tag, problem);
        if (step != TagWalker::Step::Tag) {
            if (step == TagWalker::Step::Stopped && !problem.empty() && walker.offset() < tags.size())
                report(problem);
            break;
        }
        if (tagAllowance == 0) {
            report("the movie holds more tags than are read; the rest of this sprite is left out");
            break;
        }
        --tagAllowance;
        if (tag.code == TagCode::End)
            break;
        if (tag.code == TagCode::ShowFrame) {
            script.frames.emplace_back();
            pendingFrame = false;
            continue;
        }
        pendingFrame = true;
        // Definitions have no place inside a sprite; only its control tags count.
        const std::uint64_t tagsOffset = bodyOffset + (body.size() - tags.size());
        if (!readControlTag(script, tag.code, tags.subspan(tag.bodyOffset, tag.length), swfVersion, problem, tagsOffset + tag.bodyOffset))
            report(problem);
    }
    if (problemsFound > kMaxSpriteProblems)
        problems.push_back("sprite: " + std::to_string(problemsFound - kMaxSpriteProblems) + " more problems");
    // The frame opened after the last ShowFrame is not a frame unless
    // something was put in it.
    if (!pendingFrame && script.frames.size() > 1)
        script.frames.pop_back();
    return sprite;
}

} // namespace swf
