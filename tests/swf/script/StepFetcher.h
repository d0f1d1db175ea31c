#pragma once

// A fetcher for tests that hands over one file a part at a time, as the
// test lets it: its progress and what has arrived grow with release(),
// and the load ends once all of it is released.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "swf/Player.h"
#include "swf/script/Fetcher.h"

namespace swftest {

class StepFetcher final : public swf::script::Fetcher {
public:
    explicit StepFetcher(std::vector<std::uint8_t> file)
        : m_file(std::move(file))
    {
    }
    void release(std::size_t bytes) { m_released = std::min(bytes, m_file.size()); }

    std::uint64_t start(swf::script::FetchRequest) override { return ++m_started; }
    swf::script::FetchProgress progress(std::uint64_t) const override { return {m_released, m_file.size()}; }
    QByteArray arrivedFrom(std::uint64_t, std::size_t from) const override
    {
        return from < m_released ? QByteArray(reinterpret_cast<const char*>(m_file.data() + from), qsizetype(m_released - from)) : QByteArray();
    }
    std::optional<swf::script::FetchOutcome> take(std::uint64_t) override
    {
        if (m_released < m_file.size())
            return std::nullopt;
        swf::script::FetchOutcome outcome;
        outcome.ok = outcome.found = true;
        outcome.status = 200;
        outcome.bytes = QByteArray(reinterpret_cast<const char*>(m_file.data()), qsizetype(m_file.size()));
        return outcome;
    }
    void cancel(std::uint64_t) override {}

private:
    std::vector<std::uint8_t> m_file;
    std::size_t m_released = 0;
    std::uint64_t m_started = 0;
};

// Opens `movie` as a page on the web would show it, its loads served by
// `fetcher` and each line it traces added to `trace`.
inline void openFromWeb(swf::Player& player, std::shared_ptr<StepFetcher> fetcher, std::span<const std::uint8_t> movie, std::string& trace)
{
    player.setTraceOutput([&trace](std::string_view line) { trace.append(line).append("\n"); });
    player.setMovieUrl("http://example.com/movie.swf");
    player.setWebFetcher(std::move(fetcher));
    player.open();
    player.feed(movie);
    player.finish();
}

} // namespace swftest
