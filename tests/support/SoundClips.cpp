#include "support/SoundClips.h"

#include <cmath>
#include <numbers>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
}

namespace swftest {

namespace {

// Float (packed or planar) where the encoder takes it, else its first.
AVSampleFormat sampleFormatFor(const AVCodec& codec)
{
    for (const AVSampleFormat* format = codec.sample_fmts; format && *format != AV_SAMPLE_FMT_NONE; ++format)
        if (*format == AV_SAMPLE_FMT_FLTP || *format == AV_SAMPLE_FMT_FLT)
            return *format;
    return codec.sample_fmts ? codec.sample_fmts[0] : AV_SAMPLE_FMT_S16;
}

void fillTone(AVFrame& frame, const Tone& tone, int at)
{
    const auto format = AVSampleFormat(frame.format);
    const bool planar = av_sample_fmt_is_planar(format);
    const bool isFloat = av_get_packed_sample_fmt(format) == AV_SAMPLE_FMT_FLT;
    for (int channel = 0; channel < tone.channels; ++channel) {
        const double hz = tone.hz + 110 * channel;
        for (int i = 0; i < frame.nb_samples; ++i) {
            const double value = tone.level * std::sin(2 * std::numbers::pi * hz * (at + i) / tone.rate);
            const int index = planar ? i : i * tone.channels + channel;
            std::uint8_t* data = frame.data[planar ? channel : 0];
            if (isFloat)
                reinterpret_cast<float*>(data)[index] = float(value);
            else
                reinterpret_cast<std::int16_t*>(data)[index] = std::int16_t(value * 32767);
        }
    }
}

} // namespace

SoundClip encodeTone(const Tone& tone)
{
    SoundClip clip;
    const AVCodec* codec = avcodec_find_encoder_by_name(tone.encoder.c_str());
    if (!codec)
        return clip;
    AVCodecContext* context = avcodec_alloc_context3(codec);
    context->sample_rate = tone.rate;
    context->sample_fmt = sampleFormatFor(*codec);
    context->bit_rate = tone.bitRate;
    av_channel_layout_default(&context->ch_layout, tone.channels);
    AVDictionary* options = nullptr;
    if (tone.framesPerPacket > 1)
        av_dict_set_int(&options, "frames_per_packet", tone.framesPerPacket, 0);
    const int opened = avcodec_open2(context, codec, &options);
    av_dict_free(&options);
    if (opened < 0 || context->frame_size <= 0) {
        avcodec_free_context(&context);
        return clip;
    }
    if (context->extradata && context->extradata_size > 0)
        clip.extradata.assign(context->extradata, context->extradata + context->extradata_size);
    clip.frameSize = context->frame_size;
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    const int total = int(tone.rate * tone.seconds);
    for (int at = 0; at <= total; at += context->frame_size) {
        const bool last = at + context->frame_size > total;
        if (!last) {
            frame->nb_samples = context->frame_size;
            frame->format = context->sample_fmt;
            av_channel_layout_copy(&frame->ch_layout, &context->ch_layout);
            av_frame_get_buffer(frame, 0);
            fillTone(*frame, tone, at);
        }
        avcodec_send_frame(context, last ? nullptr : frame);
        av_frame_unref(frame);
        while (avcodec_receive_packet(context, packet) == 0) {
            clip.packets.emplace_back(packet->data, packet->data + packet->size);
            av_packet_unref(packet);
        }
    }
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&context);
    return clip;
}

std::vector<std::uint8_t> joinedPackets(const SoundClip& clip)
{
    std::vector<std::uint8_t> joined;
    for (const std::vector<std::uint8_t>& packet : clip.packets)
        joined.insert(joined.end(), packet.begin(), packet.end());
    return joined;
}

} // namespace swftest
