#pragma once

// Loads from local files, read whole when their outcome is asked for: a
// file is there at the next frame boundary, as script expects of a load.

#include <map>

#include "swf/script/Fetcher.h"

namespace swf::script {

class FileFetcher final : public Fetcher {
public:
    std::uint64_t start(FetchRequest request) override;
    FetchProgress progress(std::uint64_t id) const override;
    std::optional<FetchOutcome> take(std::uint64_t id) override;
    void cancel(std::uint64_t id) override;

private:
    std::map<std::uint64_t, FetchRequest> m_waiting;
    std::uint64_t m_next = 0;
};

} // namespace swf::script
