#pragma once

// A movie loaded into a clip or a level while another plays. It keeps its
// own stream, characters, timeline and format version: what it places is
// made from its own dictionary, its code runs by its own version's rules,
// and its tags are read from its own bytes, never the main movie's.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "swf/Color.h"
#include "swf/define/Dictionary.h"
#include "swf/define/FrameScript.h"
#include "swf/read/Diagnostics.h"

namespace swf {

class Movie;
class MovieLoader;

class LoadedMovie {
public:
    // Reads `bytes` whole with the same reader, caps and budget as the
    // main movie, keeping at most `streamLimit` bytes of its uncompressed
    // stream. Null, with `error` saying why, when they are no movie this
    // player can show.
    static std::shared_ptr<const LoadedMovie> read(std::span<const std::uint8_t> bytes, std::string url, std::size_t streamLimit,
                                                   std::shared_ptr<MemoryBudget> budget, Diagnostics& diagnostics, std::string& error);
    ~LoadedMovie();
    LoadedMovie(const LoadedMovie&) = delete;
    LoadedMovie& operator=(const LoadedMovie&) = delete;

    const Dictionary& dictionary() const { return *m_dictionary; }
    const std::shared_ptr<const Dictionary>& sharedDictionary() const { return m_dictionary; }
    const FrameScript& script() const { return m_script; }
    int version() const { return m_version; }
    const std::string& url() const { return m_url; }
    // The file's length as its header gives it, what getBytesTotal reports.
    double byteLength() const { return m_byteLength; }
    // Frames that arrived, and the count the header declares.
    int framesLoaded() const;
    int declaredFrames() const { return m_declaredFrames; }
    // What it asks of the stage, which only a movie in the main movie's
    // place gets: its frame rate and its background colour.
    double frameRate() const;
    std::optional<Color> backgroundColor() const;
    // The uncompressed stream it keeps.
    std::size_t streamSize() const;
    // The bytes of a tag its timeline carries; empty when not all there.
    std::span<const std::uint8_t> tagBody(const TagRef& tag) const;

private:
    LoadedMovie() = default;

    std::unique_ptr<MovieLoader> m_loader;
    std::shared_ptr<const Dictionary> m_dictionary;
    FrameScript m_script;
    std::string m_url;
    int m_version = 0;
    int m_declaredFrames = 0;
    double m_byteLength = 0;
};

} // namespace swf
