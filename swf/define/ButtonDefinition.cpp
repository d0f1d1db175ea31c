#include "swf/define/Dictionary.h"

#include "swf/read/ByteReader.h"
#include "swf/read/Records.h"

namespace swf {

namespace {

constexpr std::uint16_t kDefineButton2 = 34;

} // namespace

Result<std::shared_ptr<ButtonDefinition>> readButtonDefinition(std::uint16_t code, std::span<const std::uint8_t> body)
{
    using Failure = Result<std::shared_ptr<ButtonDefinition>>;
    ByteReader bytes(body);
    auto button = std::make_shared<ButtonDefinition>();
    const bool second = code == kDefineButton2;
    if (second) {
        const auto flags = bytes.u8();
        const auto actionOffset = bytes.u16();
        if (!flags || !actionOffset)
            return Failure::failure("button header cut short");
        button->trackAsMenu = *flags & 0x01;
    }
    for (;;) {
        const auto flags = bytes.u8();
        if (!flags)
            return Failure::failure("button records cut short");
        if (*flags == 0)
            break;
        ButtonDefinition::Record record;
        record.states = *flags & 0x0F;
        const auto id = bytes.u16();
        const auto depth = bytes.u16();
        const auto matrix = id && depth ? readMatrix(bytes) : std::nullopt;
        if (!matrix)
            return Failure::failure("button record cut short");
        record.characterId = *id;
        record.depth = *depth;
        record.matrix = *matrix;
        if (second) {
            const auto cxform = readColorTransform(bytes, true);
            if (!cxform)
                return Failure::failure("button record cut short");
            record.colorTransform = *cxform;
            if (*flags & 0x10) {
                auto filters = readFilterList(bytes);
                if (!filters)
                    return Failure::failure("button filters malformed");
                record.filters = std::move(*filters);
            }
            if (*flags & 0x20) {
                const auto blend = bytes.u8();
                if (!blend)
                    return Failure::failure("button record cut short");
                record.blendMode = *blend;
            }
        }
        button->records.push_back(std::move(record));
    }
    std::vector<FrameCommand>& frame = button->upState.frames.emplace_back();
    for (const ButtonDefinition::Record& record : button->records) {
        if (!(record.states & ButtonDefinition::Up))
            continue;
        PlaceCommand place;
        place.depth = record.depth;
        place.characterId = record.characterId;
        place.matrix = record.matrix;
        place.colorTransform = record.colorTransform;
        if (!record.filters.empty())
            place.filters = record.filters;
        place.blendMode = record.blendMode;
        frame.emplace_back(std::move(place));
    }
    return button;
}

} // namespace swf
