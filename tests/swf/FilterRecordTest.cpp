#include <gtest/gtest.h>

#include <bit>
#include <vector>

#include "swf/read/FilterRecord.h"

using namespace swf;

namespace {

// Builds filter records field by field, little-endian as the format has them.
class Record {
public:
    Record& u8(std::uint8_t value)
    {
        m_bytes.push_back(value);
        return *this;
    }
    Record& rgba(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) { return u8(r).u8(g).u8(b).u8(a); }
    Record& u32(std::uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            u8(std::uint8_t(value >> (8 * i)));
        return *this;
    }
    Record& fixed(double value) { return u32(std::uint32_t(std::int32_t(value * 65536))); }
    Record& fixed8(double value)
    {
        const auto raw = std::uint16_t(std::int16_t(value * 256));
        return u8(std::uint8_t(raw)).u8(std::uint8_t(raw >> 8));
    }
    Record& f32(float value) { return u32(std::bit_cast<std::uint32_t>(value)); }
    Record& append(const Record& other)
    {
        m_bytes.insert(m_bytes.end(), other.m_bytes.begin(), other.m_bytes.end());
        return *this;
    }
    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

Record dropShadow()
{
    return Record()
        .u8(0)
        .rgba(10, 20, 30, 128)
        .fixed(4.5)
        .fixed(6)
        .fixed(0.785398)
        .fixed(4)
        .fixed8(1.5)
        .u8(0b1010'0011); // inner, not knockout, composite source, 3 passes
}

Record bevel()
{
    return Record()
        .u8(3)
        .rgba(0, 0, 0, 255)       // shadow
        .rgba(255, 255, 255, 200) // highlight
        .fixed(5)
        .fixed(5)
        .fixed(1)
        .fixed(2)
        .fixed8(2)
        .u8(0b0111'0010); // outer, knockout, composite, on top, 2 passes
}

Record gradientGlow()
{
    return Record()
        .u8(4)
        .u8(2)
        .rgba(255, 0, 0, 0)
        .rgba(0, 0, 255, 255)
        .u8(0)
        .u8(255)
        .fixed(8)
        .fixed(8)
        .fixed(0)
        .fixed(0)
        .fixed8(1)
        .u8(0b0010'0001);
}

Record convolution()
{
    Record record;
    record.u8(5).u8(3).u8(1).f32(2).f32(-1);
    for (float term : {1.0f, 0.0f, 1.0f})
        record.f32(term);
    return record.rgba(1, 2, 3, 4).u8(0b0000'0001); // not clamped, alpha preserved
}

Record colorMatrix()
{
    Record record;
    record.u8(6);
    for (int i = 0; i < 20; ++i)
        record.f32(float(i));
    return record;
}

std::optional<std::vector<Filter>> read(const Record& record)
{
    ByteReader reader(record.bytes());
    return readFilterList(reader);
}

TEST(FilterList, ReadsAShadowsFields)
{
    const auto filters = read(Record().u8(1).append(dropShadow()));
    ASSERT_TRUE(filters);
    ASSERT_EQ(filters->size(), 1u);
    const Filter& f = filters->front();
    EXPECT_EQ(f.type, FilterType::DropShadow);
    EXPECT_EQ(f.color, (Color {10, 20, 30, 128}));
    EXPECT_DOUBLE_EQ(f.blurX, 4.5);
    EXPECT_DOUBLE_EQ(f.blurY, 6);
    EXPECT_NEAR(f.angle, 0.785398, 1e-4);
    EXPECT_DOUBLE_EQ(f.distance, 4);
    EXPECT_DOUBLE_EQ(f.strength, 1.5);
    EXPECT_TRUE(f.inner);
    EXPECT_FALSE(f.knockout);
    EXPECT_TRUE(f.compositeSource);
    EXPECT_EQ(f.passes, 3);
}

TEST(FilterList, BevelStoresShadowColourFirstAndGivesAPassBitToOnTop)
{
    const auto filters = read(Record().u8(1).append(bevel()));
    ASSERT_TRUE(filters);
    const Filter& f = filters->front();
    EXPECT_EQ(f.type, FilterType::Bevel);
    EXPECT_EQ(f.color, (Color {0, 0, 0, 255}));
    EXPECT_EQ(f.highlight, (Color {255, 255, 255, 200}));
    EXPECT_FALSE(f.inner);
    EXPECT_TRUE(f.knockout);
    EXPECT_TRUE(f.compositeSource);
    EXPECT_TRUE(f.onTop);
    EXPECT_EQ(f.passes, 2);
}

TEST(FilterList, ReadsGradientColoursThenRatios)
{
    const auto filters = read(Record().u8(1).append(gradientGlow()));
    ASSERT_TRUE(filters);
    const Filter& f = filters->front();
    ASSERT_EQ(f.gradient.size(), 2u);
    EXPECT_EQ(f.gradient[0].color, (Color {255, 0, 0, 0}));
    EXPECT_EQ(f.gradient[0].ratio, 0);
    EXPECT_EQ(f.gradient[1].color, (Color {0, 0, 255, 255}));
    EXPECT_EQ(f.gradient[1].ratio, 255);
    EXPECT_DOUBLE_EQ(f.blurX, 8);
    EXPECT_EQ(f.passes, 1);
    EXPECT_FALSE(f.onTop);
}

TEST(FilterList, ReadsConvolutionAndColourMatrix)
{
    const auto filters = read(Record().u8(2).append(convolution()).append(colorMatrix()));
    ASSERT_TRUE(filters);
    ASSERT_EQ(filters->size(), 2u);
    const Filter& c = (*filters)[0];
    EXPECT_EQ(c.type, FilterType::Convolution);
    EXPECT_EQ(c.matrixX, 3);
    EXPECT_EQ(c.matrixY, 1);
    EXPECT_FLOAT_EQ(c.divisor, 2);
    EXPECT_FLOAT_EQ(c.bias, -1);
    EXPECT_EQ(c.matrix, (std::vector<float> {1, 0, 1}));
    EXPECT_EQ(c.defaultColor, (Color {1, 2, 3, 4}));
    EXPECT_FALSE(c.clamp);
    EXPECT_TRUE(c.preserveAlpha);
    const Filter& m = (*filters)[1];
    EXPECT_EQ(m.type, FilterType::ColorMatrix);
    ASSERT_EQ(m.matrix.size(), 20u);
    EXPECT_FLOAT_EQ(m.matrix[19], 19);
}

TEST(FilterList, BlurKeepsPassesInTheTopFiveBits)
{
    const auto filters = read(Record().u8(1).u8(1).fixed(16).fixed(2).u8(0b11111'000));
    ASSERT_TRUE(filters);
    EXPECT_EQ(filters->front().type, FilterType::Blur);
    EXPECT_EQ(filters->front().passes, 31);
    EXPECT_DOUBLE_EQ(filters->front().blurY, 2);
}

TEST(FilterList, StopsRightAfterTheLastFilter)
{
    Record record = Record().u8(0);
    record.u8(0xAB);
    ByteReader reader(record.bytes());
    const auto filters = readFilterList(reader);
    ASSERT_TRUE(filters);
    EXPECT_TRUE(filters->empty());
    EXPECT_EQ(reader.position(), 1u);
}

TEST(FilterList, EveryTruncationIsRefused)
{
    const Record whole = Record()
                             .u8(5)
                             .append(dropShadow())
                             .append(bevel())
                             .append(gradientGlow())
                             .append(convolution())
                             .append(colorMatrix());
    ASSERT_TRUE(read(whole));
    for (std::size_t length = 0; length < whole.bytes().size(); ++length) {
        const std::vector<std::uint8_t> prefix(whole.bytes().begin(), whole.bytes().begin() + std::ptrdiff_t(length));
        ByteReader reader(prefix);
        EXPECT_FALSE(readFilterList(reader)) << "accepted " << length << " bytes";
    }
}

TEST(FilterList, RefusesUnknownTypesAndLyingSizes)
{
    EXPECT_FALSE(read(Record().u8(1).u8(8)));
    EXPECT_FALSE(read(Record().u8(1).u8(0xFF)));
    // A 255 by 255 matrix backed by four bytes.
    EXPECT_FALSE(read(Record().u8(1).u8(5).u8(255).u8(255).f32(1).f32(0).f32(1)));
    // Says 200 filters, holds one.
    EXPECT_FALSE(read(Record().u8(200).append(colorMatrix())));
}

} // namespace
