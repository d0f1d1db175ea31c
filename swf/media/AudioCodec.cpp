#include "swf/media/AudioCodec.h"

#include "swf/media/SpeexPackets.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

namespace swf {

namespace {

AVCodecID codecId(SoundCodec codec)
{
    switch (codec) {
    case SoundCodec::Adpcm:
        return AV_CODEC_ID_ADPCM_SWF;
    case SoundCodec::Mp3:
    case SoundCodec::Mp3At8k:
        return AV_CODEC_ID_MP3;
    case SoundCodec::Aac:
        return AV_CODEC_ID_AAC;
    case SoundCodec::Nellymoser16k:
    case SoundCodec::Nellymoser8k:
    case SoundCodec::Nellymoser:
        return AV_CODEC_ID_NELLYMOSER;
    case SoundCodec::Speex:
        return AV_CODEC_ID_SPEEX;
    default:
        return AV_CODEC_ID_NONE;
    }
}

std::int16_t fromFloat(float value)
{
    if (!(value == value))
        return 0;
    return std::int16_t(std::lrint(std::clamp(value, -1.0f, 1.0f) * 32767.0f));
}

// Appends the samples of `frame` as 16-bit, `channels` to a sample frame
// (the decoder's last channel standing in for any it lacks), whatever
// layout the decoder chose; no more than `maxSamples` in all. The layout
// is looked at once a frame, not once a sample.
void appendFrame(const AVFrame& frame, int channels, std::vector<std::int16_t>& out, std::size_t maxSamples)
{
    const int have = frame.ch_layout.nb_channels;
    if (have <= 0 || !frame.extended_data || frame.nb_samples <= 0 || out.size() >= maxSamples)
        return;
    const auto format = AVSampleFormat(frame.format);
    const bool planar = av_sample_fmt_is_planar(format);
    const auto wanted = std::size_t(channels);
    const std::size_t count = std::min(std::size_t(frame.nb_samples), (maxSamples - out.size()) / wanted);
    const std::size_t base = out.size();
    out.resize(base + count * wanted);
    std::int16_t* to = out.data() + base;
    for (int c = 0; c < channels; ++c) {
        const int from = std::min(c, have - 1);
        const std::uint8_t* data = frame.extended_data[planar ? from : 0];
        const std::size_t stride = planar ? 1 : std::size_t(have);
        const std::size_t first = planar ? 0 : std::size_t(from);
        const auto convert = [&](auto sourceType, auto toSample) {
            const auto* source = reinterpret_cast<const decltype(sourceType)*>(data) + first;
            for (std::size_t i = 0; i < count; ++i)
                to[i * wanted + std::size_t(c)] = toSample(source[i * stride]);
        };
        switch (av_get_packed_sample_fmt(format)) {
        case AV_SAMPLE_FMT_S16:
            convert(std::int16_t(), [](std::int16_t v) { return v; });
            break;
        case AV_SAMPLE_FMT_S32:
            convert(std::int32_t(), [](std::int32_t v) { return std::int16_t(v >> 16); });
            break;
        case AV_SAMPLE_FMT_FLT:
            convert(float(), fromFloat);
            break;
        case AV_SAMPLE_FMT_DBL:
            convert(double(), [](double v) { return fromFloat(float(v)); });
            break;
        case AV_SAMPLE_FMT_U8:
            convert(std::uint8_t(), [](std::uint8_t v) { return std::int16_t((int(v) - 128) << 8); });
            break;
        default:
            convert(std::uint8_t(), [](std::uint8_t) { return std::int16_t(0); });
            break;
        }
    }
}

} // namespace

struct AudioCodec::State {
    ~State()
    {
        av_parser_close(parser);
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&context);
    }

    AVCodecContext* context = nullptr;
    AVCodecParserContext* parser = nullptr; // splits MP3 data into frames
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    int channels = 1;
    // Each packet is drained before the next: the decoder holds back
    // frames of a packet until it is told no more are coming.
    bool drainEachPacket = false;

    void drain(std::vector<std::int16_t>& out, std::size_t maxSamples)
    {
        while (avcodec_receive_frame(context, frame) == 0) {
            appendFrame(*frame, channels, out, maxSamples);
            av_frame_unref(frame);
        }
    }

    // True when the decoder took the packet.
    bool send(const std::uint8_t* data, int size, std::vector<std::int16_t>& out, std::size_t maxSamples)
    {
        if (size <= 0)
            return false;
        // The decoders read a little past the end of what they are given.
        if (av_new_packet(packet, size) < 0)
            return false;
        std::memcpy(packet->data, data, std::size_t(size));
        const int sent = avcodec_send_packet(context, packet);
        av_packet_unref(packet);
        drain(out, maxSamples);
        if (drainEachPacket && sent == 0) {
            avcodec_send_packet(context, nullptr);
            drain(out, maxSamples);
            avcodec_flush_buffers(context);
        }
        return sent == 0;
    }
};

AudioCodec::AudioCodec(std::unique_ptr<State> state)
    : m_state(std::move(state))
{
}

AudioCodec::~AudioCodec() = default;

std::unique_ptr<AudioCodec> AudioCodec::open(const SoundFormat& format, std::string& error, std::span<const std::uint8_t> config)
{
    // A hostile movie would otherwise fill the terminal with FFmpeg's
    // complaints; the engine reports what it could not decode itself.
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });

    const AVCodecID id = codecId(SoundCodec(format.codec));
    // Movies pack several Speex frames into a block, and a whole event
    // sound into one piece of data; FFmpeg's own Speex decoder takes one
    // frame from each, libspeex's takes them all.
    const AVCodec* codec = id == AV_CODEC_ID_SPEEX ? avcodec_find_decoder_by_name("libspeex") : nullptr;
    const bool packedFrames = codec != nullptr;
    if (!codec && id != AV_CODEC_ID_NONE)
        codec = avcodec_find_decoder(id);
    if (!codec) {
        error = "no decoder for sound format " + std::to_string(format.codec);
        return nullptr;
    }
    auto state = std::make_unique<State>();
    state->channels = format.channels();
    state->drainEachPacket = packedFrames;
    state->context = avcodec_alloc_context3(codec);
    state->packet = av_packet_alloc();
    state->frame = av_frame_alloc();
    if (!state->context || !state->packet || !state->frame) {
        error = "out of memory for a sound decoder";
        return nullptr;
    }
    state->context->sample_rate = format.doubledRate() / 2;
    av_channel_layout_default(&state->context->ch_layout, state->channels);
    if (!config.empty()) {
        // Capped far above any real configuration; libavcodec frees it.
        const std::size_t size = std::min<std::size_t>(config.size(), 1024);
        state->context->extradata = static_cast<std::uint8_t*>(av_mallocz(size + AV_INPUT_BUFFER_PADDING_SIZE));
        if (!state->context->extradata) {
            error = "out of memory for a sound decoder";
            return nullptr;
        }
        std::memcpy(state->context->extradata, config.data(), size);
        state->context->extradata_size = int(size);
    }
    if (avcodec_open2(state->context, codec, nullptr) < 0) {
        error = std::string("the ") + codec->name + " decoder would not start";
        return nullptr;
    }
    if (id == AV_CODEC_ID_MP3)
        state->parser = av_parser_init(id);
    return std::unique_ptr<AudioCodec>(new AudioCodec(std::move(state)));
}

int AudioCodec::sampleRate() const
{
    return std::max(0, m_state->context->sample_rate);
}

bool AudioCodec::decode(std::span<const std::uint8_t> data, std::vector<std::int16_t>& out, std::size_t maxSamples)
{
    State& state = *m_state;
    if (state.drainEachPacket) {
        // Speex: packets joined end to end go to the decoder one by one,
        // as it stops at the end of each.
        bool any = false;
        for (const std::span<const std::uint8_t> packet : splitSpeexPackets(data))
            if (out.size() < maxSamples)
                any |= state.send(packet.data(), int(std::min<std::size_t>(packet.size(), INT32_MAX)), out, maxSamples);
        return any;
    }
    if (!state.parser)
        return state.send(data.data(), int(std::min<std::size_t>(data.size(), INT32_MAX)), out, maxSamples);

    bool any = false;
    while (!data.empty() && out.size() < maxSamples) {
        std::uint8_t* frameData = nullptr;
        int frameSize = 0;
        const int used = av_parser_parse2(state.parser, state.context, &frameData, &frameSize, data.data(),
                                          int(std::min<std::size_t>(data.size(), INT32_MAX)), AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
        if (used <= 0 && frameSize == 0)
            break;
        data = data.subspan(std::size_t(std::max(used, 0)));
        if (frameSize > 0)
            any |= state.send(frameData, frameSize, out, maxSamples);
    }
    // Movies keep whole MP3 frames in each piece of data: the last one is
    // not held back waiting for the next piece.
    std::uint8_t* frameData = nullptr;
    int frameSize = 0;
    av_parser_parse2(state.parser, state.context, &frameData, &frameSize, nullptr, 0, AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
    if (frameSize > 0)
        any |= state.send(frameData, frameSize, out, maxSamples);
    return any;
}

} // namespace swf
