#include "swf/media/VideoCodec.h"

#include <algorithm>
#include <cstring>
#include <mutex>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libavutil/pixdesc.h>
}

#include "swf/media/BitmapDecoder.h"

namespace swf {

namespace {

AVCodecID codecIdOf(std::uint8_t codec)
{
    switch (VideoCodecId(codec)) {
    case VideoCodecId::SorensonH263:
        return AV_CODEC_ID_FLV1;
    case VideoCodecId::ScreenVideo:
        return AV_CODEC_ID_FLASHSV;
    case VideoCodecId::Vp6:
        return AV_CODEC_ID_VP6F;
    case VideoCodecId::Vp6Alpha:
        return AV_CODEC_ID_VP6A;
    case VideoCodecId::ScreenVideo2:
        return AV_CODEC_ID_FLASHSV2;
    case VideoCodecId::Avc:
        return AV_CODEC_ID_H264;
    }
    return AV_CODEC_ID_NONE;
}

// YUV to RGB in 16.16 fixed point, for the two matrices and two ranges
// the streams use.
struct YuvMatrix {
    int yOffset;
    int y, rv, gu, gv, bu;
};

YuvMatrix matrixFor(const AVFrame& frame, const AVPixFmtDescriptor& desc)
{
    const bool full = frame.color_range == AVCOL_RANGE_JPEG || std::strncmp(desc.name, "yuvj", 4) == 0;
    const bool hd = frame.colorspace == AVCOL_SPC_BT709;
    if (hd)
        return full ? YuvMatrix {0, 65536, 103206, 12277, 30679, 121609} : YuvMatrix {16, 76309, 117489, 13975, 34925, 138438};
    return full ? YuvMatrix {0, 65536, 91881, 22554, 46802, 116130} : YuvMatrix {16, 76309, 104597, 25675, 53279, 132201};
}

inline std::uint32_t clampByte(int value)
{
    return std::uint32_t(std::clamp(value, 0, 255));
}

inline std::uint32_t premultiplied(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a)
{
    if (a != 255) {
        r = (r * a + 127) / 255;
        g = (g * a + 127) / 255;
        b = (b * a + 127) / 255;
    }
    return a << 24 | r << 16 | g << 8 | b;
}

void convertPlanarYuv(const AVFrame& frame, const AVPixFmtDescriptor& desc, QImage& out)
{
    const YuvMatrix m = matrixFor(frame, desc);
    const bool alpha = desc.flags & AV_PIX_FMT_FLAG_ALPHA;
    for (int y = 0; y < frame.height; ++y) {
        const std::uint8_t* luma = frame.data[0] + std::ptrdiff_t(y) * frame.linesize[0];
        const std::uint8_t* u = frame.data[1] + std::ptrdiff_t(y >> desc.log2_chroma_h) * frame.linesize[1];
        const std::uint8_t* v = frame.data[2] + std::ptrdiff_t(y >> desc.log2_chroma_h) * frame.linesize[2];
        const std::uint8_t* a = alpha ? frame.data[3] + std::ptrdiff_t(y) * frame.linesize[3] : nullptr;
        auto* row = reinterpret_cast<std::uint32_t*>(out.scanLine(y));
        for (int x = 0; x < frame.width; ++x) {
            const int c = x >> desc.log2_chroma_w;
            const int yy = (int(luma[x]) - m.yOffset) * m.y + 32768;
            const int uu = int(u[c]) - 128;
            const int vv = int(v[c]) - 128;
            row[x] = premultiplied(clampByte((yy + m.rv * vv) >> 16), clampByte((yy - m.gu * uu - m.gv * vv) >> 16),
                                   clampByte((yy + m.bu * uu) >> 16), a ? a[x] : 255u);
        }
    }
}

// Packed RGB formats (the screen codecs give BGR24), read through the
// format's own description of where each component sits.
void convertPackedRgb(const AVFrame& frame, const AVPixFmtDescriptor& desc, QImage& out)
{
    const bool alpha = desc.flags & AV_PIX_FMT_FLAG_ALPHA;
    const int step = desc.comp[0].step;
    for (int y = 0; y < frame.height; ++y) {
        const std::uint8_t* in = frame.data[0] + std::ptrdiff_t(y) * frame.linesize[0];
        auto* row = reinterpret_cast<std::uint32_t*>(out.scanLine(y));
        for (int x = 0; x < frame.width; ++x, in += step)
            row[x] = premultiplied(in[desc.comp[0].offset], in[desc.comp[1].offset], in[desc.comp[2].offset],
                                   alpha ? in[desc.comp[3].offset] : 255u);
    }
}

bool convertible(const AVPixFmtDescriptor& desc)
{
    if (desc.flags & (AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_BITSTREAM | AV_PIX_FMT_FLAG_HWACCEL | AV_PIX_FMT_FLAG_BE))
        return false;
    if (desc.nb_components < 3)
        return false;
    for (int i = 0; i < desc.nb_components; ++i)
        if (desc.comp[i].depth != 8 || desc.comp[i].shift != 0)
            return false;
    if (desc.flags & AV_PIX_FMT_FLAG_RGB)
        return !(desc.flags & AV_PIX_FMT_FLAG_PLANAR) && desc.comp[0].plane == 0 && desc.comp[1].plane == 0 && desc.comp[2].plane == 0
            && desc.comp[0].step == desc.comp[1].step && desc.comp[0].step == desc.comp[2].step;
    // Planar YUV: one byte per sample, a plane per component.
    for (int i = 0; i < desc.nb_components; ++i)
        if (desc.comp[i].plane != i || desc.comp[i].step != 1)
            return false;
    return desc.flags & AV_PIX_FMT_FLAG_PLANAR;
}

} // namespace

struct VideoCodec::State {
    ~State()
    {
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&context);
    }

    VideoCodecId codec = VideoCodecId::SorensonH263;
    AVCodecContext* context = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    QImage picture;

    bool takeFrame(std::string& error)
    {
        const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(AVPixelFormat(frame->format));
        if (!desc || !convertible(*desc)) {
            error = std::string("decoded video in a pixel format the player cannot show (") + (desc ? desc->name : "none") + ")";
            return false;
        }
        if (!bitmapSizeAllowed(frame->width, frame->height)) {
            error = "a video frame of " + std::to_string(frame->width) + "x" + std::to_string(frame->height) + " pixels, more than allowed";
            return false;
        }
        // The renderer may still hold the last picture: write into a fresh
        // one then, rather than have the image copy itself on write.
        if (picture.width() != frame->width || picture.height() != frame->height || !picture.isDetached())
            picture = QImage(frame->width, frame->height, QImage::Format_ARGB32_Premultiplied);
        if (picture.isNull()) {
            error = "out of memory for a video frame";
            return false;
        }
        if (desc->flags & AV_PIX_FMT_FLAG_RGB)
            convertPackedRgb(*frame, *desc, picture);
        else
            convertPlanarYuv(*frame, *desc, picture);
        return true;
    }
};

VideoCodec::VideoCodec(std::unique_ptr<State> state)
    : m_state(std::move(state))
{
}

VideoCodec::~VideoCodec() = default;

std::unique_ptr<VideoCodec> VideoCodec::open(std::uint8_t codecId, std::string& error, std::span<const std::uint8_t> extradata)
{
    // A hostile movie would otherwise fill the terminal with FFmpeg's
    // complaints; the engine reports what it could not decode itself.
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });

    const AVCodecID id = codecIdOf(codecId);
    const AVCodec* codec = id == AV_CODEC_ID_NONE ? nullptr : avcodec_find_decoder(id);
    if (!codec) {
        error = "no decoder for video codec " + std::to_string(codecId);
        return nullptr;
    }
    auto state = std::make_unique<State>();
    state->codec = VideoCodecId(codecId);
    state->context = avcodec_alloc_context3(codec);
    state->packet = av_packet_alloc();
    state->frame = av_frame_alloc();
    if (!state->context || !state->packet || !state->frame) {
        error = "out of memory for a video decoder";
        return nullptr;
    }
    // One thread: the machine's cores are the renderer's, and a frame must
    // come out of the packet that carries it.
    state->context->thread_count = 1;
    state->context->max_pixels = kMaxBitmapPixels;
    if (!extradata.empty() && extradata.size() < (1u << 20)) {
        state->context->extradata = static_cast<std::uint8_t*>(av_mallocz(extradata.size() + AV_INPUT_BUFFER_PADDING_SIZE));
        if (!state->context->extradata) {
            error = "out of memory for a video decoder";
            return nullptr;
        }
        std::memcpy(state->context->extradata, extradata.data(), extradata.size());
        state->context->extradata_size = int(extradata.size());
    }
    if (avcodec_open2(state->context, codec, nullptr) < 0) {
        error = std::string("the ") + codec->name + " decoder would not start";
        return nullptr;
    }
    return std::unique_ptr<VideoCodec>(new VideoCodec(std::move(state)));
}

VideoCodecId VideoCodec::codec() const
{
    return m_state->codec;
}

bool VideoCodec::decode(std::span<const std::uint8_t> data, std::string& error)
{
    State& state = *m_state;
    error.clear();
    if (data.empty() || data.size() > std::size_t(INT32_MAX) - AV_INPUT_BUFFER_PADDING_SIZE) {
        error = "an empty video packet";
        return false;
    }
    // The decoders read a little past the end of what they are given.
    if (av_new_packet(state.packet, int(data.size())) < 0) {
        error = "out of memory for a video packet";
        return false;
    }
    std::memcpy(state.packet->data, data.data(), data.size());
    const int sent = avcodec_send_packet(state.context, state.packet);
    av_packet_unref(state.packet);
    if (sent < 0 && sent != AVERROR(EAGAIN)) {
        error = "a video packet the decoder refused";
        return false;
    }
    bool pictured = false;
    while (avcodec_receive_frame(state.context, state.frame) == 0) {
        pictured = state.takeFrame(error) || pictured;
        av_frame_unref(state.frame);
    }
    if (pictured)
        error.clear();
    return pictured;
}

const QImage& VideoCodec::picture() const
{
    return m_state->picture;
}

} // namespace swf
