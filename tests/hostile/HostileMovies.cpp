#include "HostileMovies.h"

#include <array>
#include <cstdint>
#include <vector>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <zlib.h>

#include "MovieFile.h"
#include "support/SwfShapes.h"
#include "support/SwfWriter.h"

namespace hostile {

namespace {

using Bytes = std::vector<std::uint8_t>;
using swftest::BitWriter;
using swftest::SwfWriter;

constexpr std::uint16_t kShowFrame = 1;
constexpr std::uint16_t kDefineShape3 = 32;
constexpr std::uint16_t kPlaceObject2 = 26;
constexpr std::uint16_t kDefineBitsJpeg2 = 21;
constexpr std::uint16_t kDefineBitsLossless2 = 36;
constexpr std::uint16_t kDefineEditText = 37;
constexpr std::uint16_t kDefineSprite = 39;
constexpr std::uint16_t kDefineMorphShape = 46;
constexpr std::uint16_t kPlaceObject3 = 70;

void putU16(Bytes& out, std::uint32_t value)
{
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}

void putU32(Bytes& out, std::uint32_t value)
{
    putU16(out, value & 0xFFFF);
    putU16(out, value >> 16);
}

void append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

// A tag header in the long form, which any length may use.
Bytes tagHeader(std::uint16_t code, std::uint64_t length)
{
    Bytes out;
    putU16(out, std::uint32_t(code) << 6 | 0x3F);
    putU32(out, std::uint32_t(length));
    return out;
}

Bytes tag(std::uint16_t code, const Bytes& body)
{
    Bytes out = tagHeader(code, body.size());
    append(out, body);
    return out;
}

// A tag with an empty body, in its two-byte form.
Bytes bareTag(std::uint16_t code)
{
    Bytes out;
    putU16(out, std::uint32_t(code) << 6);
    return out;
}

// The stream after the prefix of a 550x400 movie of one frame, holding
// `tags` before its first ShowFrame.
Bytes head(const Bytes& tags = {}, int width = 550, int height = 400)
{
    SwfWriter writer;
    writer.setFrameSize(width, height).setBackground({255, 255, 255}).setFrameCount(1).raw(tags).withoutEnd();
    const Bytes stream = writer.uncompressed();
    return Bytes(stream.begin() + 8, stream.end());
}

Bytes tail() { return {0x40, 0x00, 0x00, 0x00}; } // ShowFrame, End

Bytes redSquare(std::uint16_t id, std::int32_t side = 2000)
{
    swftest::RectShape shape;
    shape.id = id;
    shape.width = shape.height = side;
    return tag(kDefineShape3, swftest::defineShape3(shape));
}

Bytes place(std::uint16_t character, std::uint16_t depth, double x = 0, double y = 0)
{
    swftest::Placement placement;
    placement.characterId = character;
    placement.depth = depth;
    if (x != 0 || y != 0)
        placement.matrix = swf::Matrix {1, 0, 0, 1, x * 20, y * 20};
    return tag(kPlaceObject2, swftest::placeObject2(placement));
}

// PlaceObject3 of `character` with `count` blur filters.
Bytes placeBlurred(std::uint16_t character, std::uint16_t depth, int count, double blur, int passes)
{
    Bytes body {0x02, 0x01};
    putU16(body, depth);
    putU16(body, character);
    body.push_back(std::uint8_t(count));
    const auto fixed = std::uint32_t(blur * 65536);
    for (int i = 0; i < count; ++i) {
        body.push_back(1);
        putU32(body, fixed);
        putU32(body, fixed);
        body.push_back(std::uint8_t(passes << 3));
    }
    return tag(kPlaceObject3, body);
}

Bytes sprite(std::uint16_t id, const Bytes& frame)
{
    Bytes body;
    putU16(body, id);
    putU16(body, 1);
    append(body, frame);
    append(body, tail());
    return tag(kDefineSprite, body);
}

// Sprite `id` of one frame whose body is `count` empty tags of `code`.
void spriteOfBareTags(MovieFile& file, std::uint16_t id, std::uint16_t code, std::uint64_t count)
{
    Bytes spriteHead = tagHeader(kDefineSprite, 4 + 2 * count + 2);
    putU16(spriteHead, id);
    putU16(spriteHead, 1);
    file.write(spriteHead);
    file.repeat(bareTag(code), count);
    file.write(bareTag(0));
}

bool write(const std::string& path, const Bytes& stream, bool compressed = true)
{
    MovieFile file(path, compressed);
    file.write(stream);
    return file.close();
}

// SHAPE records walking a square of `side` twips from (`at`, `at`) `walks`
// times; with `fill`, the walk fills with style 1.
Bytes squareWalks(std::int32_t at, std::int32_t side, int walks, bool fill)
{
    Bytes out {std::uint8_t(fill ? 0x10 : 0x00)};
    BitWriter bits;
    const unsigned moveBits = BitWriter::signedBits({at});
    bits.ub(0, 1).ub(0x01 | (fill ? 0x04 : 0), 5).ub(moveBits, 5).sb(at, moveBits).sb(at, moveBits);
    if (fill)
        bits.ub(1, 1);
    const unsigned n = BitWriter::signedBits({side, -side});
    for (int i = 0; i < walks; ++i) {
        bits.ub(0x3, 2).ub(n - 2, 4).ub(0, 1).ub(0, 1).sb(side, n);
        bits.ub(0x3, 2).ub(n - 2, 4).ub(0, 1).ub(1, 1).sb(side, n);
        bits.ub(0x3, 2).ub(n - 2, 4).ub(0, 1).ub(0, 1).sb(-side, n);
        bits.ub(0x3, 2).ub(n - 2, 4).ub(0, 1).ub(1, 1).sb(-side, n);
    }
    bits.ub(0, 6);
    append(out, bits.finish());
    return out;
}

Bytes rect(std::int32_t left, std::int32_t right)
{
    BitWriter bits;
    const unsigned n = BitWriter::signedBits({left, right});
    bits.ub(n, 5).sb(left, n).sb(right, n).sb(left, n).sb(right, n);
    return bits.finish();
}

// zlib data of `size` bytes of `value`, made without holding them.
Bytes deflatedRun(std::uint64_t size, std::uint8_t value)
{
    z_stream zlib {};
    deflateInit(&zlib, Z_BEST_COMPRESSION);
    const Bytes block(1 << 20, value);
    Bytes out;
    std::array<std::uint8_t, 64 * 1024> chunk;
    for (std::uint64_t left = size;;) {
        const std::uint64_t now = std::min<std::uint64_t>(left, block.size());
        zlib.next_in = const_cast<Bytef*>(block.data());
        zlib.avail_in = uInt(now);
        left -= now;
        const int flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        do {
            zlib.next_out = chunk.data();
            zlib.avail_out = uInt(chunk.size());
            deflate(&zlib, flush);
            out.insert(out.end(), chunk.begin(), chunk.end() - zlib.avail_out);
        } while (zlib.avail_out == 0);
        if (left == 0)
            break;
    }
    deflateEnd(&zlib);
    return out;
}

} // namespace

bool writeSpriteOfTags(const std::string& path)
{
    MovieFile file(path, true);
    file.write(head());
    spriteOfBareTags(file, 1, kShowFrame, 120'000'000);
    file.write(place(1, 1));
    file.write(tail());
    return file.close();
}

bool writeDiagnosticsBomb(const std::string& path)
{
    // Each empty placement is a broken one, and says so.
    MovieFile file(path, true);
    file.write(head());
    spriteOfBareTags(file, 1, kPlaceObject2, 30'000'000);
    file.repeat(bareTag(kPlaceObject2), 1'900'000);
    file.write(tail());
    return file.close();
}

bool writeSelfPlacingSprite(const std::string& path)
{
    Bytes tags = redSquare(1);
    Bytes itself = place(2, 1);
    append(itself, place(2, 2));
    append(tags, sprite(2, itself));
    append(tags, place(2, 1));
    append(tags, place(1, 2, 300, 200));
    append(tags, tail());
    return write(path, head(tags));
}

bool writeCompressedBody(const std::string& path)
{
    MovieFile file(path, true);
    const Bytes stream = head(bareTag(0));
    file.write(stream);
    file.repeat(Bytes(1, 0), (256u << 20) - 8 - stream.size());
    return file.close();
}

bool writeLosslessRun(const std::string& path)
{
    constexpr int kBitmaps = 8;
    const Bytes pixels = deflatedRun(std::uint64_t(8192) * 8192 * 4, 0x80);
    Bytes tags;
    for (int i = 0; i < kBitmaps; ++i) {
        Bytes body;
        putU16(body, std::uint16_t(1 + i));
        body.push_back(5);
        putU16(body, 8192);
        putU16(body, 8192);
        append(body, pixels);
        append(tags, tag(kDefineBitsLossless2, body));
        append(tags, place(std::uint16_t(1 + i), std::uint16_t(1 + i), 10 * i, 10 * i));
    }
    append(tags, tail());
    return write(path, head(tags));
}

bool writeJpegClaim(const std::string& path)
{
    QImage noise(96, 96, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, qRgb((x * 37 + y * 11) & 255, (x * y) & 255, (x ^ y) * 3 & 255));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "JPG");
    writer.setQuality(90);
    if (!writer.write(noise))
        return false;
    // The frame header's height and width, at the first SOF0.
    const qsizetype frame = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
    if (frame < 0)
        return false;
    jpeg[frame + 5] = char(0x20), jpeg[frame + 6] = 0, jpeg[frame + 7] = char(0x20), jpeg[frame + 8] = 0;
    Bytes body;
    putU16(body, 1);
    body.insert(body.end(), jpeg.begin(), jpeg.end());
    Bytes tags = tag(kDefineBitsJpeg2, body);
    append(tags, place(1, 1));
    append(tags, tail());
    return write(path, head(tags));
}

bool writeNestedFilters(const std::string& path)
{
    constexpr int kDepth = 100;
    Bytes tags = redSquare(1);
    for (int level = 0; level < kDepth; ++level)
        append(tags, sprite(std::uint16_t(2 + level), placeBlurred(std::uint16_t(1 + level), 1, 1, 255, 15)));
    append(tags, placeBlurred(std::uint16_t(1 + kDepth), 1, 1, 255, 15));
    append(tags, tail());
    return write(path, head(tags));
}

bool writeManyFilters(const std::string& path)
{
    Bytes tags = redSquare(1, 3000 * 20);
    append(tags, placeBlurred(1, 1, 255, 100, 3));
    append(tags, tail());
    return write(path, head(tags));
}

bool writeWideBlur(const std::string& path)
{
    Bytes tags = redSquare(1, 550 * 20);
    append(tags, placeBlurred(1, 1, 1, 255, 15));
    append(tags, tail());
    return write(path, head(tags));
}

bool writeMorphEdges(const std::string& path)
{
    constexpr int kWalks = 125'000; // four edges a walk
    Bytes body;
    putU16(body, 1);
    append(body, rect(0, 4000));
    append(body, rect(0, 8000));
    const Bytes styles {1, 0x00, 255, 0, 0, 255, 0, 0, 255, 255, 0};
    const Bytes start = squareWalks(0, 4000, kWalks, true);
    const Bytes end = squareWalks(0, 8000, kWalks, false);
    putU32(body, std::uint32_t(styles.size() + start.size()));
    append(body, styles);
    append(body, start);
    append(body, end);
    Bytes tags = tag(kDefineMorphShape, body);
    for (int i = 0; i < 200; ++i) {
        Bytes placement {0x12};
        putU16(placement, std::uint16_t(1 + i));
        putU16(placement, 1);
        putU16(placement, std::uint16_t(i * 327));
        append(tags, tag(kPlaceObject2, placement));
    }
    append(tags, tail());
    return write(path, head(tags));
}

bool writeWalkedSquare(const std::string& path)
{
    Bytes body;
    putU16(body, 1);
    append(body, rect(2000, 6000));
    const Bytes styles {1, 0x00, 255, 0, 0, 255, 0};
    append(body, styles);
    append(body, squareWalks(2000, 4000, 65'793, true));
    Bytes tags = tag(kDefineShape3, body);
    append(tags, place(1, 1));
    append(tags, tail());
    return write(path, head(tags));
}

bool writeNestedHtml(const std::string& path)
{
    std::string html = "<p>";
    for (int i = 0; i < 1200; ++i)
        html += "<font color='#ff0000'>";
    html += "deep";
    for (int i = 0; i < 1200; ++i)
        html += "</font>";
    html += "</p>";
    Bytes body;
    putU16(body, 1);
    append(body, rect(0, 8000));
    body.push_back(0x80 | 0x40 | 0x20); // text, word wrap, multiline
    body.push_back(0x02);               // HTML
    body.push_back(0);                  // no variable
    body.insert(body.end(), html.begin(), html.end());
    body.push_back(0);
    Bytes tags = tag(kDefineEditText, body);
    append(tags, place(1, 1));
    append(tags, tail());
    return write(path, head(tags));
}

bool writeHugeStage(const std::string& path)
{
    return write(path, head(tail(), 16384, 16384), false);
}

} // namespace hostile
