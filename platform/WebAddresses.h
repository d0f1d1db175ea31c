#pragma once

// Every web address the program knows, in one place.

namespace platform::web {

// Where the classic player could be had from its vendor.
inline constexpr const char* kFlashPlayerDownload = "http://www.macromedia.com/go/getflashplayer";
// The maker's home page.
inline constexpr const char* kMakerHome = "http://www.brindlewick.com/";
// A sample movie on the maker's site, offered as the default address.
inline constexpr const char* kSampleMovie = "http://www.brindlewick.com/swfs/tvk.swf";
// The example shown in the address prompt.
inline constexpr const char* kExampleMovie = "http://www.example.com/movie.swf";

} // namespace platform::web
