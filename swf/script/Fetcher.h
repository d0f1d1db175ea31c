#pragma once

// What brings the bytes of a script's load from where they live: a file
// beside the movie, or an address on the web. The engine reads files
// itself; whoever owns the player may hand in one for the web.
//
// Nothing is ever answered inside start(): the frame loop asks for each
// outcome at a frame boundary with take(), so that script hears of every
// load between frames, however quickly the bytes came.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QByteArray>

#include "swf/script/Host.h"

namespace swf::script {

struct FetchRequest {
    // A local path for files, an absolute address for the web.
    std::string location;
    UrlMethod method = UrlMethod::Get;
    // Sent with a POST, form-encoded as the reference player sends it
    // unless the movie named another type.
    std::string body;
    // The most the load may bring; more fails it.
    std::size_t maxBytes = 0;
    // Whether a redirect may be followed to this address: the movie's
    // sandbox judges it as it judged the first one.
    std::function<bool(std::string_view)> mayRedirectTo;
    // A POST body's type.
    std::string contentType = "application/x-www-form-urlencoded";
    // The movie's own headers, only those it may send.
    std::vector<RequestHeader> headers;
};

struct FetchProgress {
    std::size_t loaded = 0;
    // 0 while the size is not known.
    std::size_t total = 0;
};

struct FetchOutcome {
    bool ok = false;
    // The server's status, 0 where there is none (files, no answer).
    int status = 0;
    QByteArray bytes;
    // Why it failed, for the diagnostic.
    std::string error;
    // It was found before it failed (the file opened, the server said
    // yes): script hears it never completed, rather than not found.
    bool found = false;
    // Where the bytes came from in the end, as an address (file:///...,
    // http://...): a redirect may have moved it.
    std::string address;
};

class Fetcher {
public:
    virtual ~Fetcher() = default;
    // A new load; its id is never 0.
    virtual std::uint64_t start(FetchRequest request) = 0;
    virtual FetchProgress progress(std::uint64_t id) const = 0;
    // What has arrived of a load still under way, from byte `from` on, for
    // those who use a file as it comes; a fetcher that hands its bytes
    // over only at the end gives none.
    virtual QByteArray arrivedFrom(std::uint64_t /*id*/, std::size_t /*from*/) const { return {}; }
    // The outcome once the load has ended, which forgets it; none while it
    // is still under way.
    virtual std::optional<FetchOutcome> take(std::uint64_t id) = 0;
    // Gives up a load nobody waits for any more.
    virtual void cancel(std::uint64_t id) = 0;
};

} // namespace swf::script
