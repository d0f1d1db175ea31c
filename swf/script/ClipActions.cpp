#include "swf/script/ClipActions.h"

#include "swf/read/ByteReader.h"

namespace swf::script {

std::vector<ClipActionRecord> readClipActions(std::span<const std::uint8_t> record, int swfVersion, std::string& problem)
{
    std::vector<ClipActionRecord> handlers;
    ByteReader reader(record);
    // Version 5 keeps the event flags in two bytes, later ones in four.
    const bool wide = swfVersion >= 6;
    const auto flags = [&]() -> std::optional<std::uint32_t> {
        if (wide)
            return reader.u32();
        const auto narrow = reader.u16();
        return narrow ? std::optional<std::uint32_t>(*narrow) : std::nullopt;
    };
    if (!reader.u16() || !flags()) {
        problem = "clip actions cut short before their first handler";
        return handlers;
    }
    while (true) {
        const auto events = flags();
        if (!events) {
            problem = "clip actions end without their closing flags";
            return handlers;
        }
        if (*events == 0)
            return handlers;
        const auto size = reader.u32();
        if (!size) {
            problem = "a clip action handler is cut short";
            return handlers;
        }
        auto body = reader.bytes(*size);
        if (!body) {
            problem = "a clip action handler claims more bytes than there are";
            return handlers;
        }
        // The key a KeyPress handler answers comes first, inside the size.
        std::uint8_t key = 0;
        if ((*events & kClipEventKeyPress) && wide && !body->empty()) {
            key = (*body)[0];
            *body = body->subspan(1);
        }
        handlers.push_back({*events, key, *body});
    }
}

} // namespace swf::script
