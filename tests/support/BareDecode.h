#pragma once

// libavcodec alone, for the benchmarks that weigh the engine's decoding
// against it: packets decoded and what comes out dropped.

#include <cstdint>
#include <span>
#include <vector>

namespace swftest {

// Decodes `packets` in order with libavcodec's decoder for `codecId` (an
// AVCodecID) on one thread; `extradata` is its configuration, if any.
// False when this FFmpeg has no such decoder or it would not start.
bool decodeBare(int codecId, const std::vector<std::vector<std::uint8_t>>& packets, std::span<const std::uint8_t> extradata = {});

} // namespace swftest
