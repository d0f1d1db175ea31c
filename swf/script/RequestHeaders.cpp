#include "swf/script/RequestHeaders.h"

#include <algorithm>
#include <array>

namespace swf::script {

namespace {

constexpr std::array<std::string_view, 29> kReserved {
    "Accept-Ranges", "Age", "Allow", "Allowed", "Connection", "Content-Length", "Content-Location", "Content-Range", "ETag",
    "Host", "Last-Modified", "Location", "Max-Forwards", "Proxy-Authenticate", "Proxy-Authorization", "Public", "Range",
    "Retry-After", "Server", "TE", "Trailer", "Transfer-Encoding", "Upgrade", "URI", "Vary", "Via", "Warning",
    "WWW-Authenticate", "x-flash-version",
};

char folded(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, [](char x, char y) { return folded(x) == folded(y); });
}

// A header name is a token: no spaces, separators or controls.
bool isToken(std::string_view name)
{
    constexpr std::string_view kSeparators = "()<>@,;:\\\"/[]?={} \t";
    return !name.empty() && std::ranges::all_of(name, [&](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u > 0x20 && u < 0x7F && kSeparators.find(c) == std::string_view::npos;
    });
}

// Anything that would end the header line, or is no text at all.
bool isLineSafe(std::string_view value)
{
    return std::ranges::none_of(value, [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
}

} // namespace

bool maySendHeader(std::string_view name, std::string_view value)
{
    if (!isToken(name) || !isLineSafe(value) || name.size() + value.size() > kMaxRequestHeaderBytes)
        return false;
    return std::ranges::none_of(kReserved, [&](std::string_view reserved) { return sameName(name, reserved); });
}

std::vector<RequestHeader> sendableHeaders(std::span<const RequestHeader> asked)
{
    std::vector<RequestHeader> sendable;
    for (const RequestHeader& header : asked) {
        if (sendable.size() == kMaxRequestHeaders)
            break;
        if (maySendHeader(header.name, header.value))
            sendable.push_back(header);
    }
    return sendable;
}

std::string_view sendableContentType(std::string_view asked)
{
    if (asked.empty() || !isLineSafe(asked) || asked.size() > kMaxRequestHeaderBytes)
        return "application/x-www-form-urlencoded";
    return asked;
}

} // namespace swf::script
