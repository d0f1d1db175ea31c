#pragma once

// Text as numbers: the conversion every operator applies to a string, and
// the looser readings of parseInt and parseFloat.

#include <string_view>

namespace swf::script {

// The whole text must be a number (after leading white space); anything
// else is NaN. `version` is the SWF version of the code converting.
double stringToNumber(std::string_view text, int version);
// parseInt: as many digits as read, in `radix` (0: decided by the text).
double parseIntText(std::string_view text, int radix);
// parseFloat: the longest leading decimal number.
double parseFloatText(std::string_view text);

} // namespace swf::script
