#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <utility>
#include <string>
#include <vector>

#include <QBuffer>
#include <QImageWriter>

#include <zlib.h>

#include "support/SwfWriter.h"
#include "swf/read/Movie.h"
#include "swf/Player.h"
#include "swf/media/BitmapDecoder.h"
#include "swf/read/TagCode.h"

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr std::uint16_t kDefineBits = +swf::TagCode::DefineBits;
constexpr std::uint16_t kJpegTables = +swf::TagCode::JPEGTables;
constexpr std::uint16_t kLossless = +swf::TagCode::DefineBitsLossless;
constexpr std::uint16_t kJpeg2 = +swf::TagCode::DefineBitsJPEG2;
constexpr std::uint16_t kJpeg3 = +swf::TagCode::DefineBitsJPEG3;
constexpr std::uint16_t kLossless2 = +swf::TagCode::DefineBitsLossless2;
constexpr std::uint16_t kJpeg4 = +swf::TagCode::DefineBitsJPEG4;

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes u16(unsigned v) { return {std::uint8_t(v), std::uint8_t(v >> 8)}; }
Bytes u32(std::uint32_t v) { return u16(v & 0xFFFF) + u16(v >> 16); }
Bytes zlib(const Bytes& data) { return swftest::SwfWriter::zlib(data); }

QImage gradient(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = qRgb(x * 255 / (width - 1), y * 255 / (height - 1), 160);
    }
    return image;
}

Bytes encode(const QImage& image, const char* format, bool progressive = false, int quality = 95)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    // Huffman tables fitted to the picture: smaller, never different.
    writer.setOptimizedWrite(true);
    writer.setProgressiveScanWrite(progressive);
    EXPECT_TRUE(writer.write(image)) << format << ": " << writer.errorString().toStdString();
    return Bytes(bytes.begin(), bytes.end());
}

std::size_t segmentEnd(const Bytes& jpeg, std::size_t at) { return at + 2 + (std::size_t(jpeg[at + 2]) << 8 | jpeg[at + 3]); }

std::size_t firstScan(const Bytes& jpeg)
{
    std::size_t at = 2;
    while (at + 4 <= jpeg.size() && jpeg[at + 1] != 0xDA)
        at = segmentEnd(jpeg, at);
    return at;
}

// What an authoring tool makes of a JPEG for DefineBits: the quantisation
// and Huffman tables as one SOI..EOI block, everything else as another.
struct SplitJpeg {
    Bytes tables {0xFF, 0xD8};
    Bytes image {0xFF, 0xD8};
};

SplitJpeg split(const Bytes& jpeg)
{
    SplitJpeg parts;
    const std::size_t scan = firstScan(jpeg);
    for (std::size_t at = 2; at < scan;) {
        const std::size_t end = segmentEnd(jpeg, at);
        const bool table = jpeg[at + 1] == 0xDB || jpeg[at + 1] == 0xC4;
        Bytes& into = table ? parts.tables : parts.image;
        into.insert(into.end(), jpeg.begin() + std::ptrdiff_t(at), jpeg.begin() + std::ptrdiff_t(end));
        at = end;
    }
    parts.image.insert(parts.image.end(), jpeg.begin() + std::ptrdiff_t(scan), jpeg.end());
    parts.tables.insert(parts.tables.end(), {0xFF, 0xD9});
    return parts;
}

std::vector<QRgb> pixelsOf(const QImage& image)
{
    const QImage premultiplied = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    std::vector<QRgb> pixels;
    for (int y = 0; y < premultiplied.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(premultiplied.constScanLine(y));
        pixels.insert(pixels.end(), row, row + premultiplied.width());
    }
    return pixels;
}

// The largest difference of any channel, alpha included, over all pixels.
int maxDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return 256;
    const auto p = pixelsOf(a), q = pixelsOf(b);
    int worst = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        for (int shift = 0; shift < 32; shift += 8)
            worst = std::max(worst, std::abs(int(p[i] >> shift & 0xFF) - int(q[i] >> shift & 0xFF)));
    }
    return worst;
}

// 4x2, four colours: red green blue white / white blue green red.
const Bytes kGif {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x04, 0x00, 0x02, 0x00, 0xF1, 0x00, 0x00, 0xFF, 0x00,
                  0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x2C, 0x00, 0x00, 0x00, 0x00,
                  0x04, 0x00, 0x02, 0x00, 0x00, 0x02, 0x05, 0x44, 0xA8, 0x71, 0x62, 0x50, 0x00, 0x3B};

const Bytes kBadHeader {0xFF, 0xD9, 0xFF, 0xD8};

// ---------------------------------------------------------------- JPEG

struct JpegLayout {
    const char* name;
    std::uint16_t tag;
    Bytes tables;
    Bytes data;
};

TEST(BitmapDecoder, EveryWayMoviesStoreAJpegDecodesToThePicture)
{
    const QImage source = gradient(64, 48);
    const Bytes jpeg = encode(source, "JPG");
    const SplitJpeg parts = split(jpeg);
    const Bytes tablesOpen(parts.tables.begin(), parts.tables.end() - 2);
    const Bytes imageOpen(parts.image.begin() + 2, parts.image.end());
    const std::vector<JpegLayout> layouts {
        {"whole stream", kJpeg2, {}, jpeg},
        {"behind the erroneous EOI-SOI header", kJpeg2, {}, kBadHeader + jpeg},
        {"tables and image in blocks of their own", kJpeg2, {}, parts.tables + parts.image},
        {"stray pair and fill bytes between blocks", kJpeg2, {}, tablesOpen + Bytes {0xFF, 0xFF, 0xD9, 0xFF, 0xD8} + imageOpen},
        {"DefineBits with the movie's tables", kDefineBits, parts.tables, parts.image},
        {"DefineBits behind the erroneous header", kDefineBits, parts.tables, kBadHeader + parts.image},
        {"DefineBits with a complete stream and empty tables", kDefineBits, {0xFF, 0xD8, 0xFF, 0xD9}, jpeg},
        {"JPEG3 without an alpha plane", kJpeg3, {}, u32(std::uint32_t(jpeg.size())) + jpeg},
        {"JPEG4 without an alpha plane", kJpeg4, {}, u32(std::uint32_t(jpeg.size())) + u16(0x100) + jpeg},
        {"progressive", kJpeg2, {}, encode(source, "JPG", true)},
    };
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.name);
        const auto decoded = swf::decodeBitmap(layout.tag, layout.data, layout.tables);
        ASSERT_TRUE(decoded.ok()) << decoded.error();
        EXPECT_EQ(decoded.value().format(), QImage::Format_ARGB32_Premultiplied);
        EXPECT_LE(maxDifference(decoded.value(), source), 12);
    }
}

TEST(BitmapDecoder, JpegCutShortInItsScanKeepsItsSize)
{
    const Bytes jpeg = encode(gradient(64, 48), "JPG");
    const std::size_t scan = firstScan(jpeg);
    const Bytes cut(jpeg.begin(), jpeg.begin() + std::ptrdiff_t(scan + (jpeg.size() - scan) / 2));
    const auto decoded = swf::decodeBitmap(kJpeg2, cut);
    ASSERT_TRUE(decoded.ok()) << decoded.error();
    EXPECT_EQ(decoded.value().size(), QSize(64, 48));
}

Bytes withFrameSize(Bytes jpeg, unsigned width, unsigned height)
{
    for (std::size_t at = 2; at + 9 < jpeg.size();) {
        if (jpeg[at + 1] == 0xC0 || jpeg[at + 1] == 0xC2) {
            jpeg[at + 5] = std::uint8_t(height >> 8);
            jpeg[at + 6] = std::uint8_t(height);
            jpeg[at + 7] = std::uint8_t(width >> 8);
            jpeg[at + 8] = std::uint8_t(width);
            return jpeg;
        }
        at = segmentEnd(jpeg, at);
    }
    ADD_FAILURE() << "no frame header";
    return jpeg;
}

// The first scan of a progressive image, written over and over.
Bytes endlessScans(const Bytes& progressive, int repeats)
{
    const std::size_t scan = firstScan(progressive);
    std::size_t end = segmentEnd(progressive, scan);
    while (end + 1 < progressive.size() && !(progressive[end] == 0xFF && progressive[end + 1] != 0 && (progressive[end + 1] & 0xF8) != 0xD0))
        ++end;
    Bytes out(progressive.begin(), progressive.begin() + std::ptrdiff_t(scan));
    for (int i = 0; i < repeats; ++i)
        out.insert(out.end(), progressive.begin() + std::ptrdiff_t(scan), progressive.begin() + std::ptrdiff_t(end));
    return out + Bytes {0xFF, 0xD9};
}

TEST(BitmapDecoder, BrokenJpegOrAlphaDataFailsWithoutEndingTheProcess)
{
    const Bytes jpeg = encode(gradient(64, 48), "JPG");
    const SplitJpeg parts = split(jpeg);
    const Bytes length = u32(std::uint32_t(jpeg.size()));
    Bytes planeCut = zlib(Bytes(64 * 48, 7));
    planeCut.resize(planeCut.size() / 2);
    // `why` pins the cases a cap must catch, so nothing else can pass them.
    const struct {
        const char* name;
        std::uint16_t tag;
        Bytes tables;
        Bytes data;
        const char* why = "";
    } cases[] {
        {"empty", kJpeg2, {}, {}},
        {"garbage", kJpeg2, {}, {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0}},
        {"only SOI and EOI", kJpeg2, {}, {0xFF, 0xD8, 0xFF, 0xD9}},
        {"DefineBits missing the movie's tables", kDefineBits, {}, parts.image},
        {"DefineBits with garbage tables", kDefineBits, {0xFF, 0xD8, 0x01, 0x02}, parts.image},
        {"cut before the scan", kJpeg2, {}, Bytes(jpeg.begin(), jpeg.begin() + std::ptrdiff_t(firstScan(jpeg)))},
        {"segment running past the end", kJpeg2, {}, {0xFF, 0xD8, 0xFF, 0xDB, 0x40, 0x00, 0x01}},
        {"frame of 60000 x 60000", kJpeg2, {}, withFrameSize(jpeg, 60000, 60000), "refused"},
        {"frame just over the side cap", kJpeg2, {}, withFrameSize(jpeg, 8192, 100), "refused"},
        {"frame just over the pixel cap", kJpeg2, {}, withFrameSize(jpeg, 4096, 4096), "refused"},
        {"4095 x 4096 frame over a few hundred bytes", kJpeg2, {}, withFrameSize(jpeg, 4095, 4096), "can hold"},
        {"frame of zero height", kJpeg2, {}, withFrameSize(jpeg, 64, 0)},
        {"a thousand and more scans", kJpeg2, {}, endlessScans(encode(gradient(16, 16), "JPG", true), 1100), "scans"},
        {"alpha plane a byte short", kJpeg3, {}, length + jpeg + zlib(Bytes(64 * 48 - 1, 255)), "alpha"},
        {"alpha plane not zlib", kJpeg3, {}, length + jpeg + Bytes {1, 2, 3, 4, 5, 6}, "alpha"},
        {"alpha plane cut short", kJpeg4, {}, length + u16(0) + jpeg + planeCut, "alpha"},
        {"image length past the tag", kJpeg3, {}, u32(std::uint32_t(jpeg.size() + 1)) + jpeg},
        {"image length of zero", kJpeg3, {}, u32(0) + jpeg},
        {"image length cut short", kJpeg4, {}, {1, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto decoded = swf::decodeBitmap(c.tag, c.data, c.tables);
        ASSERT_FALSE(decoded.ok());
        EXPECT_NE(decoded.error().find(c.why), std::string::npos) << decoded.error();
    }
}

TEST(BitmapDecoder, MangledJpegBytesNeverCrash)
{
    const Bytes jpeg = encode(gradient(32, 24), "JPG");
    std::mt19937 random(20240601);
    int decoded = 0;
    for (int round = 0; round < 300; ++round) {
        Bytes mangled = jpeg;
        for (int i = 0; i < 1 + round % 8; ++i)
            mangled[random() % mangled.size()] = std::uint8_t(random());
        if (round % 3 == 0)
            mangled.resize(random() % mangled.size());
        const auto result = swf::decodeBitmap(kJpeg2, mangled);
        if (result.ok()) {
            ++decoded;
            EXPECT_FALSE(result.value().isNull());
        }
    }
    // Most damage inside the scan still leaves a picture.
    EXPECT_GT(decoded, 0);
}

// ---------------------------------------------------------------- alpha

// The JPEG holds colours already premultiplied, as the exporter writes them.
TEST(BitmapDecoder, JpegAlphaPlaneIsAppliedToPremultipliedColours)
{
    const QColor colour(200, 120, 40);
    QImage source(16, 8, QImage::Format_RGB32);
    source.fill(colour);
    const Bytes jpeg = encode(source, "JPG");
    Bytes plane(16 * 8);
    for (std::size_t i = 0; i < plane.size(); ++i)
        plane[i] = std::uint8_t(i * 2);

    for (const std::uint16_t tag : {kJpeg3, kJpeg4}) {
        SCOPED_TRACE(tag);
        const Bytes head = tag == kJpeg4 ? u32(std::uint32_t(jpeg.size())) + u16(0) : u32(std::uint32_t(jpeg.size()));
        const auto decoded = swf::decodeBitmap(tag, head + jpeg + zlib(plane));
        ASSERT_TRUE(decoded.ok()) << decoded.error();
        const auto pixels = pixelsOf(decoded.value());
        ASSERT_EQ(pixels.size(), plane.size());
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            const int a = plane[i];
            ASSERT_EQ(qAlpha(pixels[i]), a) << i;
            EXPECT_NEAR(qRed(pixels[i]), std::min(200, a), 3) << i;
            EXPECT_NEAR(qGreen(pixels[i]), std::min(120, a), 3) << i;
            EXPECT_NEAR(qBlue(pixels[i]), std::min(40, a), 3) << i;
        }
    }
}

// ---------------------------------------------------------------- PNG and GIF

// A PNG keeps its own transparency; an alpha plane behind it in JPEG3 is
// not for it.
TEST(BitmapDecoder, PngAndGifDecodeExactly)
{
    QImage source(6, 4, QImage::Format_ARGB32);
    source.fill(QColor(10, 200, 90, 128));
    source.setPixel(0, 0, qRgba(255, 0, 0, 255));
    const Bytes png = encode(source, "PNG");
    for (const auto& [tag, body] : {std::pair(kJpeg2, png), std::pair(kJpeg3, u32(std::uint32_t(png.size())) + png + zlib(Bytes(24, 0)))}) {
        const auto decoded = swf::decodeBitmap(tag, body);
        ASSERT_TRUE(decoded.ok()) << decoded.error();
        EXPECT_EQ(decoded.value().format(), QImage::Format_ARGB32_Premultiplied);
        EXPECT_EQ(maxDifference(decoded.value(), source), 0) << tag;
    }

    const auto fromGif = swf::decodeBitmap(kJpeg2, kGif);
    ASSERT_TRUE(fromGif.ok()) << fromGif.error();
    const QRgb r = qRgb(255, 0, 0), g = qRgb(0, 255, 0), b = qRgb(0, 0, 255), w = qRgb(255, 255, 255);
    EXPECT_EQ(pixelsOf(fromGif.value()), (std::vector<QRgb> {r, g, b, w, w, b, g, r}));
}

TEST(BitmapDecoder, PngWithARefusedSizeFailsBeforeDecoding)
{
    Bytes png = encode(QImage(2, 2, QImage::Format_ARGB32), "PNG");
    // IHDR's width and height follow the signature, length and type; a
    // good checksum keeps the header believable, so only the size refuses it.
    png[16] = 0x00, png[17] = 0x01, png[18] = 0x00, png[19] = 0x00;
    png[20] = 0x00, png[21] = 0x01, png[22] = 0x00, png[23] = 0x00;
    const auto crc = std::uint32_t(crc32(0, png.data() + 12, 17));
    for (int i = 0; i < 4; ++i)
        png[std::size_t(29 + i)] = std::uint8_t(crc >> (24 - 8 * i));
    const auto refused = swf::decodeBitmap(kJpeg2, png);
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.error().find("size"), std::string::npos) << refused.error();
    png.resize(20);
    EXPECT_FALSE(swf::decodeBitmap(kJpeg2, png).ok());
}

// ---------------------------------------------------------------- lossless

Bytes lossless(std::uint8_t format, unsigned width, unsigned height, std::optional<std::uint8_t> lastEntry, const Bytes& payload)
{
    Bytes body = Bytes {format} + u16(width) + u16(height);
    if (lastEntry)
        body.push_back(*lastEntry);
    return body + zlib(payload);
}

TEST(BitmapDecoder, EveryLosslessFormatDecodesWithItsRowPadding)
{
    const struct {
        const char* name;
        std::uint16_t tag;
        Bytes body;
        int width;
        std::vector<QRgb> expected;
    } cases[] {
        {"colour-mapped RGB, 3 wide padded to 4", kLossless,
         lossless(3, 3, 2, 2, {255, 0, 0, 0, 255, 0, 0, 0, 255, /* rows */ 0, 1, 2, 9, 2, 1, 0, 9}), 3,
         {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(0, 0, 255), qRgb(0, 255, 0), qRgb(255, 0, 0)}},
        {"colour-mapped RGB, 5 wide padded to 8", kLossless, lossless(3, 5, 2, 0, {7, 8, 9, 0, 0, 0, 0, 0, 0xEE, 0xEE, 0xEE, 0, 0, 0, 0, 0, 0xEE, 0xEE, 0xEE}), 5,
         std::vector<QRgb>(10, qRgb(7, 8, 9))},
        {"colour-mapped RGBA, premultiplied as stored", kLossless2,
         lossless(3, 3, 1, 2, {128, 0, 0, 128, 0, 0, 0, 0, 255, 255, 255, 255, /* row */ 0, 1, 2, 0}), 3,
         {qRgba(128, 0, 0, 128), qRgba(0, 0, 0, 0), qRgba(255, 255, 255, 255)}},
        {"index past the table shows nothing", kLossless2, lossless(3, 2, 1, 0, {9, 9, 9, 255, 0, 200, 0, 0}), 2,
         {qRgba(9, 9, 9, 255), 0}},
        {"PIX15, 3 wide padded to 8 bytes", kLossless,
         lossless(4, 3, 2, std::nullopt, {0x7C, 0x00, 0x03, 0xE0, 0x00, 0x1F, 0xAA, 0xAA, 0x7F, 0xFF, 0x00, 0x00, 0x42, 0x10, 0xAA, 0xAA}), 3,
         {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(132, 132, 132)}},
        {"PIX24 ignores its reserved byte", kLossless, lossless(5, 2, 1, std::nullopt, {0xAB, 1, 2, 3, 0x00, 250, 251, 252}), 2,
         {qRgb(1, 2, 3), qRgb(250, 251, 252)}},
        {"ARGB kept premultiplied", kLossless2, lossless(5, 3, 1, std::nullopt, {128, 100, 50, 0, 0, 0, 0, 0, 255, 1, 2, 3}), 3,
         {qRgba(100, 50, 0, 128), 0, qRgba(1, 2, 3, 255)}},
        {"ARGB channel above its alpha held to it", kLossless2, lossless(5, 1, 1, std::nullopt, {100, 200, 50, 255}), 1,
         {qRgba(100, 50, 100, 100)}},
        {"zlib data beyond the pixels ignored", kLossless, lossless(5, 1, 1, std::nullopt, {0, 4, 5, 6, 1, 2, 3, 4, 5, 6, 7, 8}), 1,
         {qRgb(4, 5, 6)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto decoded = swf::decodeBitmap(c.tag, c.body);
        ASSERT_TRUE(decoded.ok()) << decoded.error();
        EXPECT_EQ(decoded.value().format(), QImage::Format_ARGB32_Premultiplied);
        EXPECT_EQ(decoded.value().width(), c.width);
        EXPECT_EQ(pixelsOf(decoded.value()), c.expected);
    }
}

TEST(BitmapDecoder, HostileLosslessDataFails)
{
    const Bytes fourPixels(16, 0x80);
    const struct {
        const char* name;
        std::uint16_t tag;
        Bytes body;
        const char* why = "";
    } cases[] {
        {"header cut short", kLossless, {5, 2, 0, 2}},
        {"colour table size missing", kLossless, {3, 2, 0, 2, 0}},
        {"zero width", kLossless, lossless(5, 0, 4, std::nullopt, fourPixels)},
        {"zero height", kLossless2, lossless(5, 4, 0, std::nullopt, fourPixels)},
        {"just over the pixel cap", kLossless, lossless(3, 4096, 4096, 0, fourPixels)},
        {"just over the side cap", kLossless, lossless(3, 8192, 2, 0, fourPixels)},
        {"4095 x 4096 over a kilobyte inflated", kLossless2, lossless(5, 4095, 4096, std::nullopt, Bytes(1024, 0)), "can hold"},
        {"unknown format", kLossless, lossless(6, 2, 2, std::nullopt, fourPixels)},
        {"PIX15 in Lossless2", kLossless2, lossless(4, 2, 2, std::nullopt, fourPixels)},
        {"zlib data a byte short", kLossless, lossless(5, 2, 2, std::nullopt, Bytes(15, 1))},
        {"padding missing from the last row", kLossless, lossless(3, 3, 2, 0, Bytes(3 + 4 + 3, 0))},
        {"no zlib data", kLossless, Bytes {5, 2, 0, 2, 0}},
        {"zlib data corrupt", kLossless, Bytes {5, 2, 0, 2, 0, 0x78, 0x9C, 0xFF, 0xFF, 0xFF, 0xFF}},
        {"not a bitmap tag", 2, lossless(5, 2, 2, std::nullopt, fourPixels)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto decoded = swf::decodeBitmap(c.tag, c.body);
        ASSERT_FALSE(decoded.ok());
        EXPECT_NE(decoded.error().find(c.why), std::string::npos) << decoded.error();
    }
}

// The caps on pixels a byte must leave room for the densest pictures real
// encoders write: one flat colour, Huffman tables fitted to it. (Qt writes
// no GIF; GIF's codes stay well under the PNG cap.)
TEST(BitmapDecoder, FlatPicturesAtTheirDensestStillDecode)
{
    QImage flat(2048, 2048, QImage::Format_Grayscale8);
    flat.fill(90);
    QImage twoColours(2048, 2048, QImage::Format_Mono);
    twoColours.fill(1);
    for (const QImage& picture : {flat, twoColours}) {
        for (const char* format : {"JPG", "PNG"}) {
            for (const bool progressive : {false, true}) {
                const Bytes data = encode(picture, format, progressive, 0);
                const auto decoded = swf::decodeBitmap(kJpeg2, data);
                EXPECT_TRUE(decoded.ok()) << format << " " << progressive << " at " << 2048 * 2048 / data.size()
                                          << " pixels a byte: " << (decoded.ok() ? "" : decoded.error());
            }
        }
    }
    const auto inflated = swf::decodeBitmap(kLossless, lossless(3, 2048, 2048, 0, Bytes(3 + 2048 * 2048, 0)));
    EXPECT_TRUE(inflated.ok()) << inflated.error();
}

// Decodes `body` with only `spare` bytes of address space left, saying on
// stderr how it went; exits 0 when the decode failed as it should.
[[noreturn]] void decodeWithin(const Bytes& body, rlim_t spare)
{
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t room = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + spare;
    const rlimit limit {room, room};
    setrlimit(RLIMIT_AS, &limit);
    const auto decoded = swf::decodeBitmap(kLossless2, body);
    std::fprintf(stderr, "%s\n", decoded.ok() ? "decoded" : decoded.error().c_str());
    std::_Exit(decoded.ok() ? 1 : 0);
}

// Bitmaps that each pass every cap can still outgrow the memory there is:
// here a 4095 x 4096 one, given 40 MiB to decode its 64 MiB in.
TEST(BitmapDecoderDeathTest, RunningOutOfMemoryIsADecodingFailure)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const Bytes body = lossless(5, 4095, 4096, std::nullopt, Bytes(std::size_t(4095) * 4096 * 4, 0x40));
    EXPECT_EXIT(decodeWithin(body, rlim_t(40) << 20), testing::ExitedWithCode(0), "no memory");
}

// ---------------------------------------------------------------- movies

std::vector<std::uint8_t> readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Decoded {
    std::vector<QImage> images;
    std::vector<std::string> failures;
};

// As the dictionary will: each bitmap tag with the character id taken off,
// DefineBits with the most recent JPEGTables.
Decoded decodeEveryBitmap(std::span<const std::uint8_t> bytes)
{
    swf::Player player;
    player.open();
    player.feed(bytes);
    player.finish();
    Decoded out;
    if (!player.hasMovie())
        return out;
    const swf::Movie& movie = *player.movie();
    std::span<const std::uint8_t> tables;
    for (const auto& tag : movie.tags()) {
        const auto body = movie.body(tag);
        if (tag.code == kJpegTables)
            tables = body;
        if (!std::set<std::uint16_t> {kDefineBits, kLossless, kJpeg2, kJpeg3, kLossless2, kJpeg4}.contains(tag.code))
            continue;
        const auto decoded = swf::decodeBitmap(tag.code, body.subspan(std::min<std::size_t>(2, body.size())), tables);
        if (decoded.ok())
            out.images.push_back(decoded.value());
        else
            out.failures.push_back(decoded.error());
    }
    return out;
}

// Every bitmap in the reference movies decodes, except those known to be
// hostile, and those fail cleanly.
TEST(BitmapDecoder, CorpusBitmapsDecodeOrFailCleanly)
{
    const fs::path corpus(TVK_CORPUS_DIR);
    if (!fs::exists(corpus))
        GTEST_SKIP() << "no corpus at " << TVK_CORPUS_DIR;
    int bitmaps = 0;
    int failed = 0;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        if (entry.path().extension() != ".swf")
            continue;
        const std::string name = entry.path().filename().string();
        const Decoded decoded = decodeEveryBitmap(readFile(entry.path()));
        bitmaps += int(decoded.images.size() + decoded.failures.size());
        failed += int(decoded.failures.size());
        // A 62525-pixel-wide lossless image, and a JPEG that is all
        // Huffman table and no scan.
        const bool hostile = name.starts_with("crash-0.6.4-huge-image") || name.starts_with("crash-0.8.0-huffmann-table");
        EXPECT_EQ(!decoded.failures.empty(), hostile) << name << (decoded.failures.empty() ? "" : ": " + decoded.failures[0]);
        if (name.starts_with("crash-0.6.6-1x1-jpeg")) {
            ASSERT_EQ(decoded.images.size(), 1u) << name;
            EXPECT_EQ(decoded.images[0].size(), QSize(1, 1)) << name;
        }
        if (name == "image-jpeg-alpha.swf") {
            ASSERT_EQ(decoded.images.size(), 1u);
            EXPECT_TRUE(decoded.images[0].hasAlphaChannel());
            const auto pixels = pixelsOf(decoded.images[0]);
            EXPECT_TRUE(std::any_of(pixels.begin(), pixels.end(), [](QRgb p) { return qAlpha(p) < 255; }));
        }
    }
    std::cout << bitmaps << " corpus bitmaps, " << failed << " refused\n";
    EXPECT_GT(bitmaps, 0);
}

} // namespace
