#include "swf/runtime/LoadedMovie.h"

#include <algorithm>

#include "swf/read/Movie.h"
#include "swf/read/MovieLoader.h"
#include "swf/read/TagCode.h"

namespace swf {

LoadedMovie::~LoadedMovie() = default;

std::shared_ptr<const LoadedMovie> LoadedMovie::read(std::span<const std::uint8_t> bytes, std::string url, std::size_t streamLimit,
                                                     std::shared_ptr<MemoryBudget> budget, Diagnostics& diagnostics, std::string& error)
{
    auto loader = std::make_unique<MovieLoader>();
    loader->setStreamLimit(streamLimit);
    loader->feed(bytes);
    loader->finish();
    const Movie* movie = loader->movie();
    if (loader->failed() || !movie) {
        error = loader->failed() ? loader->error() : "the file ends inside the movie's header";
        return nullptr;
    }
    // A movie whose first frame never arrived has nothing to show: the
    // reference player gives up on it as on a load that never completed.
    if (std::min(movie->frames().size(), std::size_t(movie->header().frameCount)) == 0) {
        error = "no frame of the movie arrived";
        return nullptr;
    }
    std::shared_ptr<LoadedMovie> loaded(new LoadedMovie);
    auto dictionary = std::make_shared<Dictionary>(std::move(budget));
    const int version = movie->header().version;
    std::size_t tagAllowance = MovieLoader::kMaxTags;
    loaded->m_script.frames.emplace_back();
    // The same reading as the main movie's tags, all at once: the whole
    // file is here before it shows.
    for (const TagRecord& tag : movie->tags()) {
        const std::span<const std::uint8_t> body = movie->body(tag);
        if (tagAllowance > 0)
            --tagAllowance;
        if (tag.code == TagCode::ShowFrame) {
            loaded->m_script.frames.emplace_back();
            continue;
        }
        if (isControlTag(tag.code)) {
            std::string problem;
            if (!readControlTag(loaded->m_script, tag.code, body, std::uint8_t(version), problem, tag.bodyOffset))
                diagnostics.report(tag.bodyOffset, int(tag.code), problem);
            if (tag.code == TagCode::VideoFrame || tag.code == TagCode::ExportAssets)
                dictionary->define(tag, body, std::uint8_t(version), diagnostics, tagAllowance);
            continue;
        }
        dictionary->define(tag, body, std::uint8_t(version), diagnostics, tagAllowance);
    }
    for (const Diagnostic& report : movie->diagnostics())
        diagnostics.report(report);
    loaded->m_dictionary = std::move(dictionary);
    loaded->m_url = std::move(url);
    loaded->m_version = version;
    loaded->m_declaredFrames = movie->header().frameCount;
    loaded->m_byteLength = double(movie->header().fileLength);
    loaded->m_loader = std::move(loader);
    return loaded;
}

int LoadedMovie::framesLoaded() const
{
    // ShowFrames past the declared count are not frames anyone can reach.
    const int arrived = int(m_loader->movie()->frames().size());
    return std::min(arrived, m_declaredFrames);
}

double LoadedMovie::frameRate() const
{
    return m_loader->movie()->header().frameRate();
}

std::optional<Color> LoadedMovie::backgroundColor() const
{
    return m_loader->movie()->backgroundColor();
}

std::size_t LoadedMovie::streamSize() const
{
    return m_loader->movie()->stream().size();
}

std::span<const std::uint8_t> LoadedMovie::tagBody(const TagRef& tag) const
{
    return m_loader->movie()->bytes(tag.offset, tag.length);
}

} // namespace swf
