#pragma once

// Numbers as text, the way the reference player writes them: at most 15
// significant digits, trailing zeros dropped, and the exponent form
// ("1e+21", "1.5e-7") outside the range fixed notation covers.

#include <string>

namespace swf::script {

std::string formatNumber(double value);
// Number.prototype.toString(radix) for radixes 2 to 36 other than 10.
std::string formatNumberRadix(double value, int radix);

} // namespace swf::script
