#pragma once

// Where SharedObjects are kept between runs: one file per object under a
// folder, at a path made of the movie's address and the object's name
// ("localhost/home/ann/games/pong.swf/scores.sol"). A file is replaced
// whole (a temporary file beside it, then a rename), so a crash or a full
// disk leaves the old one; one that does not read back is moved aside
// rather than overwritten. Without a folder the objects live as long as
// the store, so a headless run depends on nothing outside it.

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace swf::script {

class SharedObjectStore {
public:
    // Empty: keep everything in memory.
    explicit SharedObjectStore(std::string folder = {});

    // What all the objects kept in one folder (one movie's, as a rule) may
    // take together.
    static constexpr std::size_t kMaxFolderBytes = 1024 * 1024;

    // `key` is a relative path of safe parts (sharedObjectKey() makes
    // them). Nothing when none is stored or it cannot be read.
    std::optional<std::string> read(const std::string& key) const;
    enum class WriteResult { Written, OverCap, Failed };
    WriteResult write(const std::string& key, std::string_view bytes);
    void remove(const std::string& key);
    // A file that did not read back goes aside, kept for whoever wants to
    // look at it, and the object starts empty.
    void setAside(const std::string& key);
    // The bytes the key's folder holds, the key's own file left out.
    std::size_t folderBytesBeside(const std::string& key) const;

    const std::string& folder() const { return m_folder; }

private:
    std::string m_folder;
    std::map<std::string, std::string> m_memory;
};

// The objects one movie's getLocal handed out, by key, held for the
// machine as host roots: asking again gives the same object, and each is
// written when the movie ends.
struct SharedObjectRegistry {
    SharedObjectStore* store = nullptr;
    std::map<std::string, std::size_t> roots;
};

// The relative path an object is kept at: the movie's host ("localhost"
// for files) and path, or `localPath` in its place when given (which must
// be a leading part of the movie's path), then `name`. Nothing for names
// the reference player refuses or paths that do not belong to the movie.
std::optional<std::string> sharedObjectKey(std::string_view movieUrl, std::string_view name, std::optional<std::string_view> localPath);

} // namespace swf::script
