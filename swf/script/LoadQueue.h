#pragma once

// Every load a movie's script starts goes through here: the sandbox judges
// the address, files go to the engine's own reader and web addresses to
// the fetcher the player was given, and no load brings more than the cap.
// Each kind of load (text, clips, sounds, streams) keeps its own order and
// asks for its outcomes at frame boundaries.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "swf/script/Fetcher.h"
#include "swf/script/FileFetcher.h"
#include "swf/script/LoadPolicy.h"

namespace swf::script {

class LoadQueue {
public:
    // The most one load may bring.
    static constexpr std::size_t kMaxBytes = 16 * 1024 * 1024;

    LoadQueue() = default;
    ~LoadQueue();
    LoadQueue(const LoadQueue&) = delete;
    LoadQueue& operator=(const LoadQueue&) = delete;

    // The movie's own address, which loads resolve against and the sandbox
    // judges by.
    void setMovieUrl(std::string url) { m_movieUrl = std::move(url); }
    void setLocalSandbox(LocalSandbox sandbox) { m_sandbox = sandbox; }
    // What fetches web addresses; without one they fail, as the movie is
    // told, and only files are read.
    void setWebFetcher(std::shared_ptr<Fetcher> fetcher) { m_web = std::move(fetcher); }

    // A load of `url` relative to the movie. A refused one is started all
    // the same, so that its failure is heard when any load's would be.
    // Only a web load sends what `outgoing` holds, and only the part of it
    // a movie may send.
    std::uint64_t start(std::string_view url, const Outgoing& outgoing = {});
    // The outcome once the load has ended, which forgets it.
    std::optional<FetchOutcome> take(std::uint64_t ticket);
    FetchProgress progress(std::uint64_t ticket) const;
    QByteArray arrivedFrom(std::uint64_t ticket, std::size_t from) const;
    void cancel(std::uint64_t ticket);
    // Loads still under way.
    std::size_t pending() const { return m_loads.size(); }

private:
    struct Load {
        Fetcher* fetcher = nullptr; // null: `failure` is the outcome
        std::uint64_t id = 0;
        std::string address;
        FetchOutcome failure;
    };

    std::string m_movieUrl;
    LocalSandbox m_sandbox = LocalSandbox::Files;
    FileFetcher m_files;
    std::shared_ptr<Fetcher> m_web;
    std::map<std::uint64_t, Load> m_loads;
    std::uint64_t m_next = 0;
};

} // namespace swf::script
