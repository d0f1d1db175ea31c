#include "support/BareDecode.h"

#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/mem.h>
}

namespace swftest {

bool decodeBare(int codecId, const std::vector<std::vector<std::uint8_t>>& packets, std::span<const std::uint8_t> extradata)
{
    const AVCodec* codec = avcodec_find_decoder(AVCodecID(codecId));
    if (!codec)
        return false;
    AVCodecContext* context = avcodec_alloc_context3(codec);
    context->thread_count = 1;
    if (!extradata.empty()) {
        context->extradata = static_cast<std::uint8_t*>(av_mallocz(extradata.size() + AV_INPUT_BUFFER_PADDING_SIZE));
        std::copy(extradata.begin(), extradata.end(), context->extradata);
        context->extradata_size = int(extradata.size());
    }
    const bool opened = avcodec_open2(context, codec, nullptr) == 0;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    for (const auto& data : packets) {
        if (!opened)
            break;
        av_new_packet(packet, int(data.size()));
        std::copy(data.begin(), data.end(), packet->data);
        avcodec_send_packet(context, packet);
        av_packet_unref(packet);
        while (avcodec_receive_frame(context, frame) == 0)
            av_frame_unref(frame);
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&context);
    return opened;
}

} // namespace swftest
