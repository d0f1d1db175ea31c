#pragma once

// The player version movies read from `$version`: the platform as the
// reference player names it, then the version it behaves as. Movies split
// it on the space and the commas to check for the features they need.

#include <string_view>

namespace swf::script {

#if defined(_WIN32)
inline constexpr std::string_view kPlayerVersion = "WIN 10,0,45,2";
#elif defined(__APPLE__)
inline constexpr std::string_view kPlayerVersion = "MAC 10,0,45,2";
#else
inline constexpr std::string_view kPlayerVersion = "LNX 10,0,45,2";
#endif

} // namespace swf::script
