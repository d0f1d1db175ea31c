#include "support/BareDecode.h"

#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/mem.h>
}

namespace swftest {

BareDecoder::BareDecoder(int codecId, std::span<const std::uint8_t> extradata)
{
    const AVCodec* codec = avcodec_find_decoder(AVCodecID(codecId));
    if (!codec)
        return;
    m_context = avcodec_alloc_context3(codec);
    m_packet = av_packet_alloc();
    m_frame = av_frame_alloc();
    if (!m_context || !m_packet || !m_frame)
        return;
    m_context->thread_count = 1;
    if (!extradata.empty()) {
        m_context->extradata = static_cast<std::uint8_t*>(av_mallocz(extradata.size() + AV_INPUT_BUFFER_PADDING_SIZE));
        if (!m_context->extradata)
            return;
        std::copy(extradata.begin(), extradata.end(), m_context->extradata);
        m_context->extradata_size = int(extradata.size());
    }
    m_opened = avcodec_open2(m_context, codec, nullptr) == 0;
}

BareDecoder::~BareDecoder()
{
    av_frame_free(&m_frame);
    av_packet_free(&m_packet);
    avcodec_free_context(&m_context);
}

void BareDecoder::decode(const std::vector<std::vector<std::uint8_t>>& packets)
{
    if (!m_opened)
        return;
    for (const auto& data : packets) {
        if (av_new_packet(m_packet, int(data.size())) < 0)
            return;
        std::copy(data.begin(), data.end(), m_packet->data);
        avcodec_send_packet(m_context, m_packet);
        av_packet_unref(m_packet);
        while (avcodec_receive_frame(m_context, m_frame) == 0)
            av_frame_unref(m_frame);
    }
}

} // namespace swftest
