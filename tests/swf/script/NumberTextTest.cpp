// Numbers as text and text as numbers, against values the reference
// player's traces show.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "swf/script/NumberFormat.h"
#include "swf/script/NumberParse.h"

namespace {

using namespace swf::script;

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(NumberFormat, WritesFifteenDigitsAndTheExponentFormOutsideFixedRange)
{
    const struct {
        double value;
        const char* text;
    } cases[] {
        {0, "0"}, {-0.0, "0"}, {42, "42"}, {-7, "-7"}, {0.5, "0.5"}, {-0.5, "-0.5"}, {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"}, {2.718281828459045, "2.71828182845905"}, {1.4142135623730951, "1.4142135623731"},
        {103584024400.25, "103584024400.25"}, {999999999999999, "999999999999999"}, {1e15, "1e+15"}, {1.5e20, "1.5e+20"},
        {-8.5800360173497e15, "-8.5800360173497e+15"}, {0.0001, "0.0001"}, {1e-5, "0.00001"}, {1e-9, "1e-9"},
        {4.9406564584124654e-324, "4.94065645841247e-324"}, {-1.7976931348623157e308, "-1.79769313486231e+308"},
        {kInf, "Infinity"}, {-kInf, "-Infinity"},
        {std::numeric_limits<double>::quiet_NaN(), "NaN"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatNumber(c.value), c.text) << c.value;
}

TEST(NumberFormat, OtherRadixesWriteTheIntegerPart)
{
    EXPECT_EQ(formatNumberRadix(255, 16), "ff");
    EXPECT_EQ(formatNumberRadix(-255.9, 16), "-ff");
    EXPECT_EQ(formatNumberRadix(5, 2), "101");
    EXPECT_EQ(formatNumberRadix(35, 36), "z");
    EXPECT_EQ(formatNumberRadix(10, 10), "10");
}

TEST(NumberParse, TextAsNumberByVersion)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* text;
        int version;
        double value;
    } cases[] {
        {"2", 6, 2}, {" \t\n2", 6, 2}, {"0x1A", 6, 26}, {"0x-2", 6, -2}, {" 0x2", 6, nan}, {"-0x2", 6, nan}, {"0x2.1", 6, nan},
        {"030", 6, 24}, {"-030", 6, -24}, {" 030", 6, 30}, {"030.12", 6, 30.12}, {"030912", 6, 30912}, {"030", 5, 30}, {"0x10", 5, nan},
        {"", 6, nan}, {"", 4, 0}, {"1e3", 6, 1000}, {"1.", 6, 1}, {".5", 6, 0.5}, {"- 1", 6, nan}, {"Infinity", 6, nan},
        {"12abc", 6, nan},
    };
    for (const auto& c : cases) {
        const double got = stringToNumber(c.text, c.version);
        if (std::isnan(c.value))
            EXPECT_TRUE(std::isnan(got)) << '"' << c.text << "\" v" << c.version << " gave " << got;
        else
            EXPECT_EQ(got, c.value) << '"' << c.text << "\" v" << c.version;
    }
}

TEST(NumberParse, ParseIntAndParseFloatReadWhatTheyCan)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* text;
        int radix;
        double integer;
    } ints[] {
        {"42px", 0, 42}, {"  -17", 0, -17}, {"0x1f", 0, 31}, {"0x1f", 10, 1}, {"0x123", 5, 38}, {"-017", 0, -15}, {"-0x2", 0, nan}, {" 0x2", 0, 0}, {"030", 0, 24},
        {"030e12", 0, 30}, {"ff", 16, 255}, {"z", 36, 35}, {"9", 8, nan}, {"", 0, nan},
    };
    for (const auto& c : ints) {
        const double got = parseIntText(c.text, c.radix);
        if (std::isnan(c.integer))
            EXPECT_TRUE(std::isnan(got)) << c.text;
        else
            EXPECT_EQ(got, c.integer) << c.text << " radix " << c.radix;
    }
    EXPECT_EQ(parseFloatText("  3.5e2xyz"), 350);
    EXPECT_EQ(parseFloatText("0x2"), 0);
    EXPECT_TRUE(std::isnan(parseFloatText("abc")));
}

} // namespace
