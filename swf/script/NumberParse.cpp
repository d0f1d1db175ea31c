#include "swf/script/NumberParse.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace swf::script {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    return 99;
}

// Length of the decimal literal at the start of `text` ([sign] digits
// [. digits] [e [sign] digits]), 0 when there is none.
std::size_t decimalPrefix(std::string_view text)
{
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < text.size() && text[j] >= '0' && text[j] <= '9') {
            while (j < text.size() && text[j] >= '0' && text[j] <= '9')
                ++j;
            i = j;
        }
    }
    return i;
}

// A decimal literal's value, whatever the locale says a decimal point is.
double toDouble(std::string_view literal)
{
    bool negative = false;
    if (!literal.empty() && (literal[0] == '+' || literal[0] == '-')) {
        negative = literal[0] == '-';
        literal.remove_prefix(1);
    }
    double value = 0;
    const auto [end, error] = std::from_chars(literal.data(), literal.data() + literal.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Too large is infinite; too small, zero.
        const std::size_t e = literal.find_first_of("eE");
        const bool tiny = e != std::string_view::npos && e + 1 < literal.size() && literal[e + 1] == '-';
        value = tiny ? 0 : std::numeric_limits<double>::infinity();
    }
    return negative ? -value : value;
}

double integerDigits(std::string_view text, int radix, std::size_t& used)
{
    double value = 0;
    used = 0;
    while (used < text.size()) {
        const int d = digitValue(text[used]);
        if (d >= radix)
            break;
        value = value * radix + d;
        ++used;
    }
    return value;
}

} // namespace

namespace {

bool startsHex(std::string_view text)
{
    return text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

// Digits with an optional sign in front, all of the text.
double signedDigits(std::string_view text, int radix)
{
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    std::size_t used = 0;
    const double value = integerDigits(text, radix, used);
    if (used == 0 || used != text.size())
        return kNaN;
    return negative ? -value : value;
}

// Octal digits led by 0, with a sign or none.
bool isOctal(std::string_view text)
{
    if (!text.empty() && (text[0] == '-' || text[0] == '+'))
        text.remove_prefix(1);
    return text.size() > 1 && text[0] == '0' && text.find_first_not_of("01234567") == std::string_view::npos;
}

} // namespace

// Numbers as the reference player reads them: "0x" at the very start is
// hex (its sign after the prefix), a leading 0 followed only by octal
// digits is octal, and the rest decimal after any white space.
double stringToNumber(std::string_view text, int version)
{
    if (version >= 6 && startsHex(text))
        return signedDigits(text.substr(2), 16);
    if (version >= 6 && isOctal(text))
        return signedDigits(text, 8);
    std::size_t start = 0;
    while (start < text.size() && isSpace(text[start]))
        ++start;
    text.remove_prefix(start);
    if (text.empty())
        return version >= 5 ? kNaN : 0;
    const std::size_t length = decimalPrefix(text);
    if (length == 0 || length != text.size())
        return kNaN;
    return toDouble(text);
}

double parseIntText(std::string_view text, int radix)
{
    // "0x" at the very start is hex, or the given radix's digits follow
    // it; a sign before it is no number.
    if (startsHex(text)) {
        std::string_view digits = text.substr(2);
        bool negative = false;
        if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
            negative = digits[0] == '-';
            digits.remove_prefix(1);
        }
        std::size_t used = 0;
        const double value = integerDigits(digits, radix == 0 ? 16 : radix, used);
        if (used == 0)
            return kNaN;
        return negative ? -value : value;
    }
    if (text.size() >= 3 && (text[0] == '-' || text[0] == '+') && startsHex(text.substr(1)))
        return kNaN;
    // Without a radix, a text of octal digits led by 0, or by a sign and
    // 0, is octal.
    if (radix == 0 && isOctal(text))
        radix = 8;
    std::size_t start = 0;
    while (start < text.size() && isSpace(text[start]))
        ++start;
    text.remove_prefix(start);
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (radix == 0)
        radix = 10;
    if (radix < 2 || radix > 36)
        return kNaN;
    std::size_t used = 0;
    const double value = integerDigits(text, radix, used);
    if (used == 0)
        return kNaN;
    return negative ? -value : value;
}

double parseFloatText(std::string_view text)
{
    std::size_t start = 0;
    while (start < text.size() && isSpace(text[start]))
        ++start;
    text.remove_prefix(start);
    const std::size_t length = decimalPrefix(text);
    if (length == 0)
        return kNaN;
    return toDouble(text.substr(0, length));
}

} // namespace swf::script
