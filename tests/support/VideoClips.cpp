#include "support/VideoClips.h"

#include "support/SwfWriter.h"
#include "swf/read/TagCode.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
}

namespace swftest {

namespace {

struct Encoder {
    const char* name;
    std::uint8_t codec;
    AVPixelFormat format;
};

constexpr Encoder kEncoders[] = {
    {"flv", 2, AV_PIX_FMT_YUV420P},
    {"flashsv", 3, AV_PIX_FMT_BGR24},
    {"flashsv2", 6, AV_PIX_FMT_BGR24},
    {"libx264", 7, AV_PIX_FMT_YUV420P},
};

std::uint8_t clampByte(double value)
{
    return std::uint8_t(std::clamp(std::lround(value), 0L, 255L));
}

// BT.601 at studio range, as the decoders read it back.
void fillFrame(AVFrame& frame, const QImage& source)
{
    for (int y = 0; y < frame.height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        for (int x = 0; x < frame.width; ++x) {
            const double r = qRed(row[x]), g = qGreen(row[x]), b = qBlue(row[x]);
            if (frame.format == AV_PIX_FMT_BGR24) {
                std::uint8_t* at = frame.data[0] + y * frame.linesize[0] + x * 3;
                at[0] = std::uint8_t(b), at[1] = std::uint8_t(g), at[2] = std::uint8_t(r);
                continue;
            }
            frame.data[0][y * frame.linesize[0] + x] = clampByte(16 + 0.257 * r + 0.504 * g + 0.098 * b);
            if (x % 2 == 0 && y % 2 == 0) {
                frame.data[1][y / 2 * frame.linesize[1] + x / 2] = clampByte(128 - 0.148 * r - 0.291 * g + 0.439 * b);
                frame.data[2][y / 2 * frame.linesize[2] + x / 2] = clampByte(128 + 0.439 * r - 0.368 * g - 0.071 * b);
            }
        }
    }
}

void put16(std::vector<std::uint8_t>& out, unsigned value)
{
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}

} // namespace

std::vector<std::uint8_t> embeddedVideoMovie(const VideoClip& clip, int width, int height)
{
    SwfWriter writer;
    writer.setFrameSize(width, height);
    std::vector<std::uint8_t> stream;
    for (const unsigned field : {1u, unsigned(clip.packets.size()), unsigned(width), unsigned(height)})
        put16(stream, field);
    stream.push_back(0); // no deblocking, no smoothing
    stream.push_back(clip.codec);
    writer.tag(std::uint16_t(swf::TagCode::DefineVideoStream), stream);
    for (std::size_t i = 0; i < clip.packets.size(); ++i) {
        std::vector<std::uint8_t> frame;
        put16(frame, 1);
        put16(frame, unsigned(i));
        frame.insert(frame.end(), clip.packets[i].begin(), clip.packets[i].end());
        writer.tag(std::uint16_t(swf::TagCode::VideoFrame), frame);
        // Placed in the first frame, moved on to the next ratio after.
        std::vector<std::uint8_t> place {std::uint8_t(i == 0 ? 0x12 : 0x11)};
        put16(place, 1);
        if (i == 0)
            put16(place, 1);
        put16(place, unsigned(i));
        writer.tag(std::uint16_t(swf::TagCode::PlaceObject2), place);
        writer.showFrame();
    }
    return writer.build();
}

std::vector<std::uint8_t> flvFileOf(const VideoClip& clip, int msPerFrame, const FlvAudioTrack& audio)
{
    const std::uint8_t kinds = std::uint8_t((clip.packets.empty() ? 0 : 1) | (audio.packets.empty() ? 0 : 4));
    std::vector<std::uint8_t> out {'F', 'L', 'V', 1, kinds, 0, 0, 0, 9, 0, 0, 0, 0};
    const auto put = [&out](std::uint32_t value, int bytes) {
        for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8)
            out.push_back(std::uint8_t(value >> shift));
    };
    const auto tag = [&](std::uint8_t type, std::uint32_t time, std::initializer_list<std::uint8_t> head, const std::vector<std::uint8_t>& body) {
        const std::size_t size = head.size() + body.size();
        out.push_back(type);
        put(std::uint32_t(size), 3);
        put(time & 0xFFFFFF, 3);
        out.push_back(std::uint8_t(time >> 24));
        put(0, 3);
        out.insert(out.end(), head);
        out.insert(out.end(), body.begin(), body.end());
        put(std::uint32_t(11 + size), 4);
    };
    const bool aac = audio.format >> 4 == 10;
    if (aac && !audio.config.empty())
        tag(8, 0, {audio.format, 0}, audio.config);
    std::size_t sound = 0;
    for (std::size_t i = 0; i <= clip.packets.size(); ++i) {
        const std::uint32_t time = std::uint32_t(i) * std::uint32_t(msPerFrame);
        for (; sound < audio.packets.size() && (audio.times[sound] < time || i == clip.packets.size()); ++sound) {
            if (aac)
                tag(8, audio.times[sound], {audio.format, 1}, audio.packets[sound]);
            else
                tag(8, audio.times[sound], {audio.format}, audio.packets[sound]);
        }
        if (i < clip.packets.size())
            tag(9, time, {std::uint8_t((clip.keyFrames[i] ? 0x10 : 0x20) | clip.codec)}, clip.packets[i]);
    }
    return out;
}

QImage videoSourceFrame(int width, int height, int index)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = qRgb((x * 255 / std::max(1, width - 1) + index * 8) % 256, y * 255 / std::max(1, height - 1), 96);
    }
    const int side = std::max(2, std::min(width, height) / 4);
    const int left = (index * 3) % std::max(1, width - side);
    for (int y = height / 3; y < height / 3 + side && y < height; ++y)
        for (int x = left; x < left + side; ++x)
            image.setPixel(x, y, qRgb(240, 240, 240));
    return image;
}

double meanPixelDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.isNull())
        return 255;
    const QImage left = a.convertToFormat(QImage::Format_ARGB32);
    const QImage right = b.convertToFormat(QImage::Format_ARGB32);
    double sum = 0;
    for (int y = 0; y < left.height(); ++y) {
        const auto* l = reinterpret_cast<const QRgb*>(left.constScanLine(y));
        const auto* r = reinterpret_cast<const QRgb*>(right.constScanLine(y));
        for (int x = 0; x < left.width(); ++x)
            sum += std::abs(qRed(l[x]) - qRed(r[x])) + std::abs(qGreen(l[x]) - qGreen(r[x])) + std::abs(qBlue(l[x]) - qBlue(r[x]))
                + std::abs(qAlpha(l[x]) - qAlpha(r[x]));
    }
    return sum / (4.0 * left.width() * left.height());
}

std::optional<VideoClip> encodeVideoClip(const std::string& encoderName, int width, int height, int frames, int keyInterval,
                                         std::string& whyNot)
{
    const auto* known = std::find_if(std::begin(kEncoders), std::end(kEncoders), [&](const Encoder& e) { return encoderName == e.name; });
    const AVCodec* codec = known == std::end(kEncoders) ? nullptr : avcodec_find_encoder_by_name(encoderName.c_str());
    if (!codec) {
        whyNot = "this FFmpeg has no " + encoderName + " encoder";
        return std::nullopt;
    }
    // x264 reports its settings on every open; the level is put back so
    // as not to undo the decoders' silence.
    const int logLevel = av_log_get_level();
    av_log_set_level(std::min(logLevel, AV_LOG_ERROR));
    struct RestoreLog {
        int level;
        ~RestoreLog() { av_log_set_level(level); }
    } restore {logLevel};
    AVCodecContext* context = avcodec_alloc_context3(codec);
    context->width = width;
    context->height = height;
    context->pix_fmt = known->format;
    context->time_base = AVRational {1, 25};
    context->framerate = AVRational {25, 1};
    context->gop_size = keyInterval;
    context->max_b_frames = 0;
    context->thread_count = 1;
    if (known->codec == 2) {
        context->flags |= AV_CODEC_FLAG_QSCALE;
        context->global_quality = FF_QP2LAMBDA * 2;
    }
    if (known->codec == 7) {
        av_opt_set(context->priv_data, "preset", "ultrafast", 0);
        av_opt_set(context->priv_data, "tune", "zerolatency", 0);
        av_opt_set(context->priv_data, "crf", "16", 0);
        context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    if (avcodec_open2(context, codec, nullptr) < 0) {
        avcodec_free_context(&context);
        whyNot = "the " + encoderName + " encoder would not start";
        return std::nullopt;
    }
    VideoClip clip;
    clip.codec = known->codec;
    if (context->extradata_size > 0)
        clip.extradata.assign(context->extradata, context->extradata + context->extradata_size);
    AVFrame* frame = av_frame_alloc();
    frame->format = known->format;
    frame->width = width;
    frame->height = height;
    av_frame_get_buffer(frame, 0);
    AVPacket* packet = av_packet_alloc();
    for (int i = 0; i <= frames; ++i) {
        const bool last = i == frames;
        if (!last) {
            clip.sources.push_back(videoSourceFrame(width, height, i));
            av_frame_make_writable(frame);
            fillFrame(*frame, clip.sources.back());
            frame->pts = i;
            frame->pict_type = i % keyInterval == 0 ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
        }
        avcodec_send_frame(context, last ? nullptr : frame);
        while (avcodec_receive_packet(context, packet) == 0) {
            clip.packets.emplace_back(packet->data, packet->data + packet->size);
            clip.keyFrames.push_back(packet->flags & AV_PKT_FLAG_KEY);
            av_packet_unref(packet);
        }
    }
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&context);
    if (clip.packets.size() != clip.sources.size()) {
        whyNot = "the " + encoderName + " encoder gave " + std::to_string(clip.packets.size()) + " packets for "
            + std::to_string(clip.sources.size()) + " frames";
        return std::nullopt;
    }
    return clip;
}

} // namespace swftest
