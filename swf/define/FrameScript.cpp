#include "swf/define/FrameScript.h"

#include "swf/read/ByteReader.h"
#include "swf/read/Records.h"
#include "swf/read/TagCode.h"

namespace swf {

namespace {

std::optional<PlaceCommand> readPlaceObject1(ByteReader& bytes)
{
    PlaceCommand place;
    const auto id = bytes.u16();
    const auto depth = bytes.u16();
    const auto matrix = readMatrix(bytes);
    if (!id || !depth || !matrix)
        return std::nullopt;
    place.characterId = *id;
    place.depth = *depth;
    place.matrix = *matrix;
    // The colour transform is optional: it is there when bytes are left.
    if (!bytes.atEnd()) {
        if (const auto cxform = readColorTransform(bytes, false))
            place.colorTransform = *cxform;
    }
    return place;
}

std::optional<PlaceCommand> readPlaceObject23(ByteReader& bytes, bool third, std::uint16_t code, std::uint64_t bodyOffset)
{
    const auto flags = bytes.u8();
    const auto flags2 = third ? bytes.u8() : std::optional<std::uint8_t>(0);
    const auto depth = bytes.u16();
    if (!flags || !flags2 || !depth)
        return std::nullopt;
    PlaceCommand place;
    place.depth = *depth;
    place.move = *flags & 0x01;
    const bool hasCharacter = *flags & 0x02;
    if (third && ((*flags2 & 0x08) || ((*flags2 & 0x10) && hasCharacter))) {
        if (!(place.className = bytes.string()))
            return std::nullopt;
    }
    if (hasCharacter && !(place.characterId = bytes.u16()))
        return std::nullopt;
    if ((*flags & 0x04) && !(place.matrix = readMatrix(bytes)))
        return std::nullopt;
    if ((*flags & 0x08) && !(place.colorTransform = readColorTransform(bytes, true)))
        return std::nullopt;
    if ((*flags & 0x10) && !(place.ratio = bytes.u16()))
        return std::nullopt;
    if ((*flags & 0x20) && !(place.name = bytes.string()))
        return std::nullopt;
    if ((*flags & 0x40) && !(place.clipDepth = bytes.u16()))
        return std::nullopt;
    if (third && (*flags2 & 0x01)) {
        auto filters = readFilterList(bytes);
        if (!filters)
            return std::nullopt;
        place.filters = std::make_shared<const std::vector<Filter>>(std::move(*filters));
    }
    if ((*flags2 & 0x02) && !(place.blendMode = bytes.u8()))
        return std::nullopt;
    if (*flags2 & 0x04) {
        const auto cache = bytes.u8();
        if (!cache)
            return std::nullopt;
        place.cacheAsBitmap = *cache != 0;
    }
    if (*flags2 & 0x20) {
        const auto visible = bytes.u8();
        if (!visible)
            return std::nullopt;
        place.visible = *visible != 0;
    }
    if ((*flags2 & 0x40) && !(place.background = readRgba(bytes)))
        return std::nullopt;
    // Clip actions come last in both tags; what they mean is the script
    // machine's to read.
    if ((*flags & 0x80) && !bytes.atEnd())
        place.clipActions = TagRef {code, bodyOffset + bytes.position(), std::uint32_t(bytes.remaining())};
    return place;
}

bool readSceneData(FrameScript& script, ByteReader& bytes)
{
    const auto sceneCount = bytes.encodedU32();
    // Every entry takes at least two bytes, which caps what a count may claim.
    if (!sceneCount || *sceneCount > bytes.remaining())
        return false;
    std::vector<Scene> scenes;
    for (std::uint32_t i = 0; i < *sceneCount; ++i) {
        const auto offset = bytes.encodedU32();
        auto name = bytes.string();
        if (!offset || !name)
            return false;
        scenes.push_back({int(std::min<std::uint32_t>(*offset, 0xFFFF)), std::move(*name)});
    }
    const auto labelCount = bytes.encodedU32();
    if (!labelCount || *labelCount > bytes.remaining())
        return false;
    std::vector<FrameLabel> labels;
    for (std::uint32_t i = 0; i < *labelCount; ++i) {
        const auto frame = bytes.encodedU32();
        auto name = bytes.string();
        if (!frame || !name)
            return false;
        labels.push_back({int(std::min<std::uint32_t>(*frame, 0xFFFF)), std::move(*name)});
    }
    script.scenes = std::move(scenes);
    // Labels from FrameLabel tags and from this table describe the same frames.
    for (FrameLabel& label : labels)
        script.labels.push_back(std::move(label));
    return true;
}


// Tags the timeline keeps in their frame, unread, for the layers above.
bool isCarriedTag(std::uint16_t code)
{
    switch (TagCode(code)) {
    case TagCode::DoAction:
    case TagCode::DoInitAction:
    case TagCode::StartSound:
    case TagCode::StartSound2:
    case TagCode::SoundStreamHead:
    case TagCode::SoundStreamHead2:
    case TagCode::SoundStreamBlock:
    case TagCode::VideoFrame:
    // Also kept in the dictionary; the timeline says when it is passed.
    case TagCode::ExportAssets:
        return true;
    default:
        return false;
    }
}

} // namespace

bool isControlTag(std::uint16_t code)
{
    switch (TagCode(code)) {
    case TagCode::PlaceObject:
    case TagCode::RemoveObject:
    case TagCode::PlaceObject2:
    case TagCode::RemoveObject2:
    case TagCode::FrameLabel:
    case TagCode::PlaceObject3:
    case TagCode::DefineSceneAndFrameLabelData:
        return true;
    default:
        return isCarriedTag(code);
    }
}

std::optional<PlaceCommand> readPlaceObject(std::uint16_t code, std::span<const std::uint8_t> body, std::uint8_t swfVersion,
                                            std::uint64_t bodyOffset)
{
    (void)swfVersion;
    ByteReader bytes(body);
    if (code == TagCode::PlaceObject)
        return readPlaceObject1(bytes);
    if (code == TagCode::PlaceObject2 || code == TagCode::PlaceObject3)
        return readPlaceObject23(bytes, code == TagCode::PlaceObject3, code, bodyOffset);
    return std::nullopt;
}

bool readControlTag(FrameScript& script, std::uint16_t code, std::span<const std::uint8_t> body, std::uint8_t swfVersion,
                    std::string& problem, std::uint64_t bodyOffset)
{
    if (!isControlTag(code))
        return true;
    if (script.frames.empty())
        script.frames.emplace_back();
    std::vector<FrameCommand>& frame = script.frames.back();
    if (isCarriedTag(code)) {
        frame.emplace_back(CarriedTag {code, bodyOffset, std::uint32_t(body.size())});
        return true;
    }
    ByteReader bytes(body);
    switch (TagCode(code)) {
    case TagCode::PlaceObject:
    case TagCode::PlaceObject2:
    case TagCode::PlaceObject3: {
        auto place = readPlaceObject(code, body, swfVersion, bodyOffset);
        if (!place) {
            problem = "place tag cut short";
            return false;
        }
        frame.emplace_back(std::move(*place));
        return true;
    }
    case TagCode::RemoveObject: {
        const auto id = bytes.u16();
        const auto depth = bytes.u16();
        if (!id || !depth) {
            problem = "remove tag cut short";
            return false;
        }
        frame.emplace_back(RemoveCommand {*depth});
        return true;
    }
    case TagCode::RemoveObject2: {
        const auto depth = bytes.u16();
        if (!depth) {
            problem = "remove tag cut short";
            return false;
        }
        frame.emplace_back(RemoveCommand {*depth});
        return true;
    }
    case TagCode::FrameLabel: {
        auto name = bytes.string();
        if (!name) {
            problem = "frame label without its terminator";
            return false;
        }
        script.labels.push_back({int(script.frames.size()) - 1, std::move(*name)});
        return true;
    }
    case TagCode::DefineSceneAndFrameLabelData:
        if (!readSceneData(script, bytes)) {
            problem = "scene and label table cut short";
            return false;
        }
        return true;
    default:
        return true;
    }
}

} // namespace swf
