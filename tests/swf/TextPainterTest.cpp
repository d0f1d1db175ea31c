#include <gtest/gtest.h>

#include <random>

#include <QImage>
#include <QPainter>

#include "TextBodies.h"
#include "swf/render/TextPainter.h"
#include "swf/text/FormattedText.h"
#include "swf/text/TextLayout.h"
#include "swf/read/TagCode.h"

using namespace texttest;

namespace {

constexpr std::uint16_t kDefineText = +swf::TagCode::DefineText;
constexpr std::uint16_t kDefineFont2 = +swf::TagCode::DefineFont2;
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kGrey = qRgb(128, 128, 128);

// A 100x100 pixel canvas drawn in twips, as the renderer hands it over.
struct Canvas {
    QImage image {100, 100, QImage::Format_ARGB32};
    QPainter painter;

    explicit Canvas(QRgb background = kWhite)
    {
        image.fill(background);
        painter.begin(&image);
        painter.scale(1.0 / 20, 1.0 / 20);
    }
    QImage done()
    {
        painter.end();
        return image;
    }
};

bool anyPixelIn(const QImage& image, QRect area, QRgb background)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) != background)
                return true;
    return false;
}

swf::EditText field(swf::Rect bounds, std::string text)
{
    swf::EditText f;
    f.bounds = bounds;
    f.fontId = 1;
    f.height = 400;
    f.initialText = std::move(text);
    return f;
}

} // namespace

namespace {

// A field laid out for its initial text, as the stage does, then painted.
void paintField(QPainter& painter, const swf::EditText& field, const swf::FontLookup& fonts)
{
    const QString text = field.initialText ? swf::decodeMovieText(*field.initialText) : QString();
    const auto font = field.fontId && fonts ? fonts(*field.fontId) : nullptr;
    swf::paintEditText(painter, *swf::layoutField(field, text, field.html, font), {});
}

} // namespace

TEST(StaticTextPainting, GlyphPixelsLandWhereTheTextPutsThem)
{
    const auto font = std::make_shared<const swf::Font>(swf::readFont(kDefineFont2, fontBody(blockFont()), 10).value());
    // 'a' in the block font is a square of half the height, on the baseline.
    const std::vector<TextRecord> records = {
        {1, swf::Color {0, 0, 255, 255}, 200, 1000, 800, {{0, 400}, {4, 400}, {1, 400}}},
    };
    const auto text = swf::readStaticText(kDefineText, textBody({0, 2000, 0, 2000}, records, false));
    ASSERT_TRUE(text);

    QImage image(100, 100, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(1.0 / 20, 1.0 / 20);
    const swf::FontLookup fonts = [&](std::uint16_t id) -> std::shared_ptr<const swf::Font> { return id == 1 ? font : nullptr; };
    swf::ColorTransform addRed;
    addRed.rAdd = 255;
    swf::paintStaticText(painter, text.value(), fonts, addRed);
    painter.end();

    // Glyph 0 covers x 200..600, y 600..1000 twips: pixels 10..30, 30..50.
    EXPECT_EQ(image.pixel(20, 40), qRgb(255, 0, 255));
    // Glyph 4 is the space: nothing between.
    EXPECT_EQ(image.pixel(40, 40), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(60, 40), qRgb(255, 0, 255));
    // Above the squares and below the baseline stays clear.
    EXPECT_EQ(image.pixel(20, 25), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(20, 55), qRgb(255, 255, 255));
}

TEST(StaticTextPainting, UnknownFontsAndGlyphIndicesDrawNothing)
{
    const auto font = std::make_shared<const swf::Font>(swf::readFont(kDefineFont2, fontBody(blockFont()), 10).value());
    const std::vector<TextRecord> records = {
        {7, swf::Color {0, 0, 0, 255}, 200, 1000, 800, {{0, 400}}},
        {1, std::nullopt, 200, 1000, 800, {{60, 400}}},
    };
    const auto text = swf::readStaticText(kDefineText, textBody({0, 2000, 0, 2000}, records, false));
    ASSERT_TRUE(text);
    QImage image(100, 100, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(1.0 / 20, 1.0 / 20);
    swf::paintStaticText(painter, text.value(), [&](std::uint16_t id) -> std::shared_ptr<const swf::Font> { return id == 1 ? font : nullptr; }, {});
    painter.end();
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(image.pixel(x, y), qRgb(255, 255, 255)) << x << "," << y;
}

TEST(EditTextPainting, BorderDrawsAWhiteBoxWithABlackEdge)
{
    swf::EditText f = field({200, 1800, 200, 1800}, "");
    f.border = true;
    Canvas canvas(kGrey);
    paintField(canvas.painter, f, {});
    const QImage image = canvas.done();
    EXPECT_EQ(image.pixel(50, 50), kWhite);
    EXPECT_EQ(image.pixel(10, 50), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(50, 10), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(5, 50), kGrey);
    EXPECT_EQ(image.pixel(95, 95), kGrey);
}

TEST(EditTextPainting, EmbeddedTextSitsInsideTheGutterAndIsClippedToTheField)
{
    const auto font = std::make_shared<const swf::Font>(swf::readFont(kDefineFont2, fontBody(blockFont()), 10).value());
    const swf::FontLookup fonts = [&](std::uint16_t id) -> std::shared_ptr<const swf::Font> { return id == 1 ? font : nullptr; };
    // Characters are 10 px wide and tall; a line of 12 runs far past the
    // field's right edge at x = 60 px.
    swf::EditText f = field({0, 1200, 0, 1000}, "aaaaaaaaaaaa");
    f.useOutlines = true;
    f.color = swf::Color {0, 0, 255, 255};
    Canvas canvas;
    paintField(canvas.painter, f, fonts);
    const QImage image = canvas.done();
    // Baseline at 2 px gutter plus the ascent (312.5 twips): about 17.6 px.
    EXPECT_EQ(image.pixel(5, 12), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(1, 12), kWhite); // the gutter
    EXPECT_EQ(image.pixel(5, 5), kWhite);  // above the squares
    EXPECT_TRUE(anyPixelIn(image, {50, 8, 10, 9}, kWhite));
    EXPECT_FALSE(anyPixelIn(image, {60, 0, 40, 100}, kWhite));
}

TEST(EditTextPainting, PasswordFieldsDrawAsterisks)
{
    // The font has '*' but no 'x': only a password field shows anything.
    const auto font = std::make_shared<const swf::Font>(swf::readFont(kDefineFont2, fontBody(blockFont(u"*")), 10).value());
    const swf::FontLookup fonts = [&](std::uint16_t id) -> std::shared_ptr<const swf::Font> { return id == 1 ? font : nullptr; };
    swf::EditText f = field({0, 2000, 0, 2000}, "xxx");
    f.useOutlines = true;

    Canvas plain;
    paintField(plain.painter, f, fonts);
    EXPECT_FALSE(anyPixelIn(plain.done(), {0, 0, 100, 100}, kWhite));

    f.password = true;
    Canvas hidden;
    paintField(hidden.painter, f, fonts);
    const QImage image = hidden.done();
    EXPECT_TRUE(anyPixelIn(image, {2, 8, 30, 10}, kWhite));
    EXPECT_FALSE(anyPixelIn(image, {33, 0, 67, 100}, kWhite));
}

TEST(EditTextPainting, DeviceTextAndHtmlDrawWithinTheField)
{
    swf::EditText f = field({0, 2000, 0, 2000}, "<p align='right'><font face='_sans' color='#ff0000'><b>Hi</b></font></p>");
    f.fontId.reset();
    f.html = true;
    Canvas canvas;
    paintField(canvas.painter, f, {});
    const QImage image = canvas.done();
    // Right-aligned: ink in the right half only, red.
    EXPECT_FALSE(anyPixelIn(image, {0, 0, 50, 100}, kWhite));
    bool red = false;
    for (int y = 0; y < 40; ++y)
        for (int x = 50; x < 100; ++x)
            red = red || image.pixel(x, y) == qRgb(255, 0, 0);
    EXPECT_TRUE(red);
}

TEST(TextPainting, ArbitraryBytesReadAndPaintWithoutHarm)
{
    const auto font = std::make_shared<const swf::Font>(swf::readFont(kDefineFont2, fontBody(blockFont()), 10).value());
    const swf::FontLookup fonts = [&](std::uint16_t id) -> std::shared_ptr<const swf::Font> { return id % 2 ? font : nullptr; };
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 300);
    Canvas canvas;
    for (int round = 0; round < 3000; ++round) {
        Bytes body(std::size_t(length(random)));
        for (auto& b : body)
            b = std::uint8_t(byte(random));
        if (auto field = swf::readEditText(body)) {
            // Keep fields small enough that every round draws quickly.
            swf::Rect& b = field.value().bounds;
            b = {b.xMin % 4000, b.xMin % 4000 + std::abs(b.width()) % 4000, b.yMin % 4000,
                 b.yMin % 4000 + std::abs(b.height()) % 4000};
            paintField(canvas.painter, field.value(), fonts);
        }
        if (auto text = swf::readStaticText(round % 2 ? 11 : 33, body))
            swf::paintStaticText(canvas.painter, text.value(), fonts, {});
        if (auto parsed = swf::readFont(std::uint16_t(round % 3 == 0 ? 10 : round % 3 == 1 ? 48 : 75), body, 8)) {
            swf::applyFontInfo(parsed.value(), 62, body);
            swf::applyAlignZones(parsed.value(), body);
        }
    }
    canvas.done();
}

TEST(TextPainting, HugeDeviceTextStaysInsideItsField)
{
    swf::EditText f = field({400, 1600, 400, 1600}, std::string(2000, 'W'));
    f.fontId.reset();
    f.height = 65535;
    f.wordWrap = true;
    Canvas canvas;
    paintField(canvas.painter, f, {});
    const QImage image = canvas.done();
    EXPECT_FALSE(anyPixelIn(image, {0, 0, 100, 19}, kWhite));
    EXPECT_FALSE(anyPixelIn(image, {0, 81, 100, 19}, kWhite));
    EXPECT_FALSE(anyPixelIn(image, {0, 0, 19, 100}, kWhite));
}

TEST(EditTextPainting, FieldsMirroredOnTheStageAreLeftOut)
{
    // Each transform maps the field's box onto itself, so only whether it
    // is mirrored decides if its white box shows.
    const struct {
        const char* name;
        QTransform transform;
        bool shown;
    } cases[] {
        {"upright", QTransform(), true},
        {"mirrored across", QTransform(-1, 0, 0, 1, 2000, 0), false},
        {"mirrored down", QTransform(1, 0, 0, -1, 0, 2000), false},
        {"turned over both ways", QTransform(-1, 0, 0, -1, 2000, 2000), false},
    };
    swf::EditText f = field({200, 1800, 200, 1800}, "");
    f.border = true;
    for (const auto& c : cases) {
        Canvas canvas(kGrey);
        canvas.painter.setWorldTransform(c.transform * canvas.painter.worldTransform());
        paintField(canvas.painter, f, {});
        EXPECT_EQ(canvas.done().pixel(50, 50), c.shown ? kWhite : kGrey) << c.name;
    }
}

TEST(EditTextPainting, AsAMaskOnlyEmbeddedGlyphsCover)
{
    const auto font = std::make_shared<const swf::Font>(swf::readFont(kDefineFont2, fontBody(blockFont()), 10).value());
    const swf::FontLookup fonts = [&](std::uint16_t id) -> std::shared_ptr<const swf::Font> { return id == 1 ? font : nullptr; };
    const swf::ColorTransform black {0, 0, 0, 0, 0, 0, 0, 255};
    const auto paintMask = [&](const swf::EditText& f) {
        Canvas canvas;
        const auto layout = swf::layoutField(f, swf::decodeMovieText(*f.initialText), false, f.fontId ? fonts(*f.fontId) : nullptr);
        swf::paintEditTextMask(canvas.painter, *layout, black);
        return canvas.done();
    };

    swf::EditText embedded = field({0, 1200, 0, 1000}, "a");
    embedded.useOutlines = true;
    embedded.border = true;
    const QImage glyphs = paintMask(embedded);
    EXPECT_EQ(glyphs.pixel(5, 12), qRgb(0, 0, 0)); // the glyph
    EXPECT_EQ(glyphs.pixel(40, 40), kWhite);      // inside the box, no glyph
    EXPECT_EQ(glyphs.pixel(0, 30), kWhite);       // the border

    swf::EditText device = field({0, 2000, 0, 2000}, "Hello");
    device.fontId.reset();
    device.border = true;
    EXPECT_FALSE(anyPixelIn(paintMask(device), {0, 0, 100, 100}, kWhite));
}
