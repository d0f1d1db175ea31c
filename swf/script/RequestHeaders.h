#pragma once

// The headers a movie may add to its loads (addRequestHeader). Those that
// describe the connection, the transfer or the server's answer are the
// network layer's to set and are dropped, as the reference player drops
// them; a name that is not a plain token, or a name or value that could
// start a header line of its own, is refused outright.

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "swf/script/Host.h"

namespace swf::script {

// The most headers one load carries, and the most bytes one may hold.
constexpr std::size_t kMaxRequestHeaders = 64;
constexpr std::size_t kMaxRequestHeaderBytes = 8 * 1024;

bool maySendHeader(std::string_view name, std::string_view value);
// What of `asked` may go out, in its order, at most kMaxRequestHeaders.
std::vector<RequestHeader> sendableHeaders(std::span<const RequestHeader> asked);
// A POST body's type: the movie's when it may be sent, else the form
// encoding every POST has by default.
std::string_view sendableContentType(std::string_view asked);

} // namespace swf::script
