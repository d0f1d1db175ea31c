#pragma once

// Where a movie may load from. A movie opened from disk reads files in its
// own folder and the folders below it, and nothing from the network; one
// that declares it uses the network (its file attributes say so) reads no
// local files either. One opened over http or https loads only from its
// own host. Every other scheme is refused, and so is anything that cannot
// be read as an address.

#include <string>
#include <string_view>

namespace swf::script {

struct LoadTarget {
    enum class Kind { Refused, LocalFile, Web };
    Kind kind = Kind::Refused;
    // A local path, or an absolute http(s) address.
    std::string location;
    // Why it was refused, for the diagnostic.
    std::string reason;
};

// What a movie from disk has declared of itself.
enum class LocalSandbox { Files, Network };

// `movieUrl` is the movie's own address (file:///..., http://...); an
// empty one, as for a movie fed from memory, allows nothing.
LoadTarget resolveLoad(std::string_view movieUrl, std::string_view requested, LocalSandbox sandbox = LocalSandbox::Files);

} // namespace swf::script
