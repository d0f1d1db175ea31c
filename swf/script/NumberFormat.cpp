#include "swf/script/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>

namespace swf::script {

std::string formatNumber(double value)
{
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value > 0 ? "Infinity" : "-Infinity";
    if (value == 0)
        return "0";
    // Small integers are by far the most common; skip the rounding.
    if (std::fabs(value) < 1e15 && value == std::trunc(value)) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.0f", value);
        return buffer;
    }

    // Fifteen significant digits as d.dddddddddddddde±x. The largest
    // numbers round down, so that the text still reads back as a number.
    // (to_chars and from_chars, unlike printf, ignore the locale.)
    char buffer[40];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    std::string text(buffer, written.ptr);
    double back = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), back).ec == std::errc::result_out_of_range)
        text = value < 0 ? "-1.79769313486231e+308" : "1.79769313486231e+308";
    const bool negative = text[0] == '-';
    if (negative)
        text.erase(0, 1);
    const std::size_t e = text.find('e');
    const int exponent = std::atoi(text.c_str() + e + 1);
    std::string digits = text.substr(0, 1) + text.substr(2, e - 2);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent >= 15 || exponent < -5) {
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out += digits.substr(1);
        }
        out += exponent < 0 ? "e-" : "e+";
        out += std::to_string(std::abs(exponent));
    } else if (exponent < 0) {
        out += "0.";
        out.append(std::size_t(-exponent - 1), '0');
        out += digits;
    } else {
        const std::size_t intDigits = std::size_t(exponent) + 1;
        if (digits.size() <= intDigits) {
            out += digits;
            out.append(intDigits - digits.size(), '0');
        } else {
            out += digits.substr(0, intDigits);
            out += '.';
            out += digits.substr(intDigits);
        }
    }
    return out;
}

std::string formatNumberRadix(double value, int radix)
{
    if (radix == 10 || radix < 2 || radix > 36)
        return formatNumber(value);
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value > 0 ? "Infinity" : "-Infinity";
    // Other radixes write the integer part, as a 32-bit integer.
    const double truncated = std::trunc(value);
    long long n = std::fabs(truncated) < 9.2e18 ? static_cast<long long>(truncated) : 0;
    n = static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<unsigned long long>(n)));
    const bool negative = n < 0;
    unsigned long long magnitude = negative ? static_cast<unsigned long long>(-n) : static_cast<unsigned long long>(n);
    std::string digits;
    do {
        const int d = int(magnitude % unsigned(radix));
        digits.insert(digits.begin(), char(d < 10 ? '0' + d : 'a' + d - 10));
        magnitude /= unsigned(radix);
    } while (magnitude);
    return negative ? "-" + digits : digits;
}

} // namespace swf::script
