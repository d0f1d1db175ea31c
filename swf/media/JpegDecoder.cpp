#include "swf/media/JpegDecoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

#include <jpeglib.h>

#include "swf/media/BitmapDecoder.h"

namespace swf {

namespace {

// A progressive image may hold any number of scans, each one a pass over
// every coefficient; a few kilobytes of them could keep us busy for minutes.
// Real encoders write about ten.
constexpr int kMaxScans = 1000;
// libjpeg's own working memory, beyond the output image: whole-image
// coefficient buffers for progressive data at the largest size we accept.
constexpr long kMaxDecoderMemory = long(kMaxBitmapPixels) * 8;
// The most pixels a byte of JPEG data can stand for. Every 8x8 block of a
// complete image costs at least one bit: a baseline block two (a DC code and
// an end-of-block code of one bit each), a progressive one one (its first DC
// scan; the AC scans can skip runs of 32,767 blocks at a time). One
// component alone covers every pixel, so a whole image holds at most 512
// pixels a byte; the cap doubles that. libjpeg makes up whatever a stream
// leaves out, so a header claiming more is not a picture the data describes
// but a request for memory, and is refused before any is taken.
constexpr std::uint64_t kMaxPixelsPerByte = 1024;

// Everything the decode touches lives here, in the caller's frame, so that
// a longjmp out of libjpeg leaves nothing with a destructor stranded.
struct Session {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    jpeg_progress_mgr progress;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

Session& sessionOf(j_common_ptr info)
{
    // libjpeg hands its callbacks only its own struct; client_data leads
    // back to ours.
    return *static_cast<Session*>(info->client_data);
}

void failDecode(j_common_ptr info)
{
    Session& session = sessionOf(info);
    (*info->err->format_message)(info, session.message);
    std::longjmp(session.jump, 1);
}

// Warnings about corrupt data still produce an image; keep them off stderr.
void ignoreMessage(j_common_ptr) { }

void watchScans(j_common_ptr info)
{
    if (!info->is_decompressor)
        return;
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans) {
        Session& session = sessionOf(info);
        std::snprintf(session.message, sizeof session.message, "JPEG has more than %d scans", kMaxScans);
        std::longjmp(session.jump, 1);
    }
}

// Adobe writes CMYK inverted; everyone else writes it as it is.
void cmykToArgb(std::uint8_t* row, JDIMENSION width, bool inverted)
{
    for (JDIMENSION x = 0; x < width; ++x) {
        std::uint8_t* p = row + 4 * std::size_t(x);
        unsigned c = p[0], m = p[1], y = p[2], k = p[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        const QRgb pixel = qRgb(int(c * k / 255), int(m * k / 255), int(y * k / 255));
        std::memcpy(p, &pixel, sizeof pixel);
    }
}

// Returns false with session.message set. No object with a destructor may be
// created in here: a libjpeg error jumps straight back to the setjmp.
bool decompress(Session& session, std::span<const std::uint8_t> stream, QImage& image)
{
    jpeg_decompress_struct& info = session.info;
    info.err = jpeg_std_error(&session.errors);
    session.errors.error_exit = failDecode;
    session.errors.output_message = ignoreMessage;
    info.client_data = &session;
    if (setjmp(session.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    session.progress.progress_monitor = watchScans;
    info.progress = &session.progress;
    info.mem->max_memory_to_use = kMaxDecoderMemory;

    jpeg_mem_src(&info, stream.data(), static_cast<unsigned long>(stream.size()));
    jpeg_read_header(&info, TRUE);
    if (!bitmapSizeAllowed(info.image_width, info.image_height)) {
        std::snprintf(session.message, sizeof session.message, "JPEG size %ux%u is refused", info.image_width, info.image_height);
        jpeg_destroy_decompress(&info);
        return false;
    }
    if (std::uint64_t(info.image_width) * info.image_height > kMaxPixelsPerByte * stream.size()) {
        std::snprintf(session.message, sizeof session.message, "JPEG of %ux%u pixels is more than its %zu bytes can hold",
                      info.image_width, info.image_height, stream.size());
        jpeg_destroy_decompress(&info);
        return false;
    }
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
#else
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_ARGB;
#endif
    jpeg_start_decompress(&info);

    image = QImage(int(info.output_width), int(info.output_height), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        std::snprintf(session.message, sizeof session.message, "no memory for a %ux%u JPEG", info.output_width, info.output_height);
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(int(info.output_scanline));
        if (jpeg_read_scanlines(&info, &row, 1) != 1)
            break;
        if (cmyk)
            cmykToArgb(row, info.output_width, info.saw_Adobe_marker);
    }
    // Only a suspending source stops early, but no row may be left as
    // whatever the allocator had there.
    for (int y = int(info.output_scanline); y < image.height(); ++y)
        std::fill_n(reinterpret_cast<QRgb*>(image.scanLine(y)), image.width(), qRgb(0, 0, 0));
    // Not jpeg_finish_decompress: junk after the last row must not cost us
    // an image we already have.
    jpeg_destroy_decompress(&info);
    return true;
}

} // namespace

Result<QImage> decodeJpeg(std::span<const std::uint8_t> stream)
{
    if (stream.empty())
        return Result<QImage>::failure("JPEG data is empty");
    Session session {};
    QImage image;
    if (!decompress(session, stream, image))
        return Result<QImage>::failure(std::string("JPEG cannot be decoded: ") + session.message);
    return image;
}

} // namespace swf
