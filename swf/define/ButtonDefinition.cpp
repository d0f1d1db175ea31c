#include "swf/define/Dictionary.h"

#include "swf/read/ByteReader.h"
#include "swf/read/Records.h"
#include "swf/read/TagCode.h"

namespace swf {

namespace {

// DefineButton2's condition actions: each names the transitions (and key)
// it answers and holds its actions; a size of 0 marks the last.
void readConditionActions(ButtonDefinition& button, std::span<const std::uint8_t> body, std::size_t at, std::uint64_t bodyOffset)
{
    while (at + 4 <= body.size()) {
        ByteReader bytes(body.subspan(at));
        const std::uint16_t size = bytes.u16().value_or(0);
        const std::uint16_t conditions = bytes.u16().value_or(0);
        const std::size_t end = size == 0 ? body.size() : std::min(body.size(), at + size);
        if (end < at + 4)
            return;
        button.actions.push_back({conditions, TagRef {+TagCode::DefineButton2, bodyOffset + at + 4, std::uint32_t(end - at - 4)}});
        if (size == 0)
            return;
        at = end;
    }
}

} // namespace

Result<std::shared_ptr<ButtonDefinition>> readButtonDefinition(std::uint16_t code, std::span<const std::uint8_t> body,
                                                               std::uint64_t bodyOffset)
{
    using Failure = Result<std::shared_ptr<ButtonDefinition>>;
    ByteReader bytes(body);
    auto button = std::make_shared<ButtonDefinition>();
    const bool second = code == TagCode::DefineButton2;
    std::size_t actionsAt = 0;
    if (second) {
        const auto flags = bytes.u8();
        const auto actionOffset = bytes.u16();
        if (!flags || !actionOffset)
            return Failure::failure("button header cut short");
        button->trackAsMenu = *flags & 0x01;
        // Counted from the offset field itself; 0 means no actions.
        if (*actionOffset)
            actionsAt = 1 + *actionOffset;
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
                record.filters = std::make_shared<const std::vector<Filter>>(std::move(*filters));
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
    if (!second) {
        // The first kind has one set of actions, run when the button is
        // released over it, after its records.
        if (!bytes.atEnd())
            button->actions.push_back({std::nullopt, TagRef {+TagCode::DefineButton, bodyOffset + bytes.position(),
                                                             std::uint32_t(bytes.remaining())}});
    } else if (actionsAt > 0) {
        readConditionActions(*button, body, actionsAt, bodyOffset);
    }
    return button;
}

} // namespace swf
