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
    kClipEventMouseMove = 1u << 3,
    kClipEventMouseDown = 1u << 4,
    kClipEventMouseUp = 1u << 5,
    kClipEventKeyDown = 1u << 6,
    kClipEventKeyUp = 1u << 7,
    kClipEventInitialize = 1u << 9,
    kClipEventPress = 1u << 10,
    kClipEventRelease = 1u << 11,
    kClipEventReleaseOutside = 1u << 12,
    kClipEventRollOver = 1u << 13,
    kClipEventRollOut = 1u << 14,
    kClipEventDragOver = 1u << 15,
    kClipEventDragOut = 1u << 16,
    kClipEventKeyPress = 1u << 17,
    kClipEventConstruct = 1u << 18,
};

struct ClipActionRecord {
    std::uint32_t events = 0;
    // For a KeyPress handler, the key it answers, as buttons number keys.
    std::uint8_t key = 0;
    std::span<const std::uint8_t> actions;
};

// The handlers in the record, in their order. A record cut short or
// claiming more than it holds ends the list there, with `problem` saying so.
std::vector<ClipActionRecord> readClipActions(std::span<const std::uint8_t> record, int swfVersion, std::string& problem);

} // namespace swf::script
