#pragma once

// The event handlers a timeline places a clip with (its onClipEvent
// blocks), read from the CLIPACTIONS record of its place command.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace swf::script {

// The events a handler may answer, as the record's flags give them.
enum ClipEvent : std::uint32_t {
    kClipEventLoad = 1u << 0,
    kClipEventEnterFrame = 1u << 1,
    kClipEventUnload = 1u << 2,
    kClipEventInitialize = 1u << 9,
    kClipEventKeyPress = 1u << 17,
    kClipEventConstruct = 1u << 18,
};

struct ClipActionRecord {
    std::uint32_t events = 0;
    std::span<const std::uint8_t> actions;
};

// The handlers in the record, in their order. A record cut short or
// claiming more than it holds ends the list there, with `problem` saying so.
std::vector<ClipActionRecord> readClipActions(std::span<const std::uint8_t> record, int swfVersion, std::string& problem);

} // namespace swf::script
