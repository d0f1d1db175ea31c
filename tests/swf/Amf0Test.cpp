#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "swf/media/Amf0.h"

using namespace swf;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes text(std::string_view s)
{
    Bytes b(2 + s.size());
    b[1] = std::uint8_t(s.size());
    std::copy(s.begin(), s.end(), b.begin() + 2);
    return b;
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Bytes kTwo {0, 0x40, 0, 0, 0, 0, 0, 0, 0}; // the number 2.0

} // namespace

// Each case: bytes, how many values read whole, and the first value's type.
TEST(Amf0, ValuesDecodeUntilTheFirstThatDoesNot)
{
    Bytes deep;
    for (int i = 0; i < 100; ++i)
        deep = deep + Bytes {3} + text("a");
    const struct Case {
        const char* what;
        Bytes bytes;
        std::size_t count;
        AmfValue::Type first;
    } cases[] {
        {"a name and a described object", Bytes {2} + text("onMetaData") + Bytes {8, 0, 0, 0, 1} + text("duration") + kTwo + Bytes {0, 0, 9}, 2,
         AmfValue::Type::String},
        {"boolean, null, undefined, date", Bytes {1, 1, 5, 6, 11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 4, AmfValue::Type::Boolean},
        {"a strict array of two numbers", Bytes {10, 0, 0, 0, 2} + kTwo + kTwo, 1, AmfValue::Type::Array},
        {"an array claiming more than it holds", Bytes {10, 0xFF, 0xFF, 0xFF, 0xFF} + kTwo, 0, AmfValue::Type::Undefined},
        {"a string cut short", Bytes {2, 0, 50, 'a'}, 0, AmfValue::Type::Undefined},
        {"an object never closed", Bytes {3} + text("x") + kTwo, 0, AmfValue::Type::Undefined},
        {"objects nested past the bound", deep, 0, AmfValue::Type::Undefined},
        {"an unknown marker after a number", Bytes {0, 0, 0, 0, 0, 0, 0, 0, 0, 0x7F}, 1, AmfValue::Type::Number},
    };
    for (const Case& c : cases) {
        const std::vector<AmfValue> values = readAmf0Values(c.bytes);
        ASSERT_EQ(values.size(), c.count) << c.what;
        if (!values.empty()) {
            EXPECT_EQ(values[0].type, c.first) << c.what;
        }
    }
    const std::vector<AmfValue> described = readAmf0Values(cases[0].bytes);
    ASSERT_EQ(described[1].members.size(), 1u);
    EXPECT_EQ(described[1].members[0].name, "duration");
    EXPECT_EQ(described[1].members[0].value.number, 2.0);
}
