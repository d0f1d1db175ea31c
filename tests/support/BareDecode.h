#pragma once

// libavcodec alone, for the benchmarks that weigh the engine's decoding
// against it: packets decoded and what comes out dropped.

#include <cstdint>
#include <span>
#include <vector>

struct AVCodecContext;
struct AVPacket;
struct AVFrame;

namespace swftest {

// libavcodec's decoder for `codecId` (an AVCodecID) on one thread, opened
// with `extradata` as its configuration, if any. Opening and decoding are
// apart, so that a bench can time either with the other or alone, as it
// times the engine.
class BareDecoder {
public:
    explicit BareDecoder(int codecId, std::span<const std::uint8_t> extradata = {});
    ~BareDecoder();
    BareDecoder(const BareDecoder&) = delete;
    BareDecoder& operator=(const BareDecoder&) = delete;

    // False when this FFmpeg has no such decoder or it would not start.
    bool ok() const { return m_opened; }
    // Decodes `packets` in order; nothing when not ok().
    void decode(const std::vector<std::vector<std::uint8_t>>& packets);

private:
    AVCodecContext* m_context = nullptr;
    AVPacket* m_packet = nullptr;
    AVFrame* m_frame = nullptr;
    bool m_opened = false;
};

} // namespace swftest
