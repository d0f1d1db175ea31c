#include "swf/script/LoadQueue.h"

#include <QUrl>

#include "swf/script/LoadPolicy.h"
#include "swf/script/RequestHeaders.h"

namespace swf::script {

LoadQueue::~LoadQueue()
{
    // The web fetcher outlives the movie; what it still brings for this one
    // would go nowhere.
    for (const auto& [ticket, load] : m_loads)
        if (load.fetcher && load.fetcher != &m_files)
            load.fetcher->cancel(load.id);
}

std::uint64_t LoadQueue::start(std::string_view url, const Outgoing& outgoing)
{
    Load load;
    const LoadTarget where = resolveLoad(m_movieUrl, url, m_sandbox);
    FetchRequest request;
    request.location = where.location;
    request.maxBytes = kMaxBytes;
    if (where.kind == LoadTarget::Kind::Refused) {
        load.failure.error = "refused: " + where.reason;
    } else if (where.kind == LoadTarget::Kind::LocalFile) {
        load.address = QUrl::fromLocalFile(QString::fromStdString(where.location)).toString().toStdString();
        load.fetcher = &m_files;
    } else if (!m_web) {
        load.failure.error = "this player reads local files only and fetches nothing from the web";
    } else {
        load.address = where.location;
        load.fetcher = m_web.get();
        request.method = outgoing.method == UrlMethod::Post ? UrlMethod::Post : UrlMethod::Get;
        // A GET carries what it sends in its address.
        if (request.method == UrlMethod::Post) {
            request.body = outgoing.body;
            request.contentType = sendableContentType(outgoing.contentType);
        } else if (!outgoing.body.empty()) {
            request.location += (request.location.find('?') == std::string::npos ? "?" : "&") + outgoing.body;
        }
        request.headers = sendableHeaders(outgoing.headers);
        request.mayRedirectTo = [movie = m_movieUrl](std::string_view to) {
            return resolveLoad(movie, to).kind == LoadTarget::Kind::Web;
        };
    }
    if (load.fetcher)
        load.id = load.fetcher->start(std::move(request));
    m_loads.emplace(++m_next, std::move(load));
    return m_next;
}

std::optional<FetchOutcome> LoadQueue::take(std::uint64_t ticket)
{
    const auto found = m_loads.find(ticket);
    if (found == m_loads.end()) {
        FetchOutcome forgotten;
        forgotten.error = "the load was forgotten";
        return forgotten;
    }
    Load& load = found->second;
    std::optional<FetchOutcome> outcome = load.fetcher ? load.fetcher->take(load.id) : std::move(load.failure);
    if (!outcome)
        return std::nullopt;
    if (outcome->address.empty())
        outcome->address = load.address;
    // Whatever a fetcher was told, no load hands script more than this.
    if (outcome->ok && std::size_t(outcome->bytes.size()) > kMaxBytes) {
        outcome->ok = false;
        outcome->bytes.clear();
        outcome->error = "larger than a load may be";
    }
    m_loads.erase(found);
    return outcome;
}

FetchProgress LoadQueue::progress(std::uint64_t ticket) const
{
    const auto found = m_loads.find(ticket);
    if (found == m_loads.end() || !found->second.fetcher)
        return {};
    return found->second.fetcher->progress(found->second.id);
}

QByteArray LoadQueue::arrivedFrom(std::uint64_t ticket, std::size_t from) const
{
    const auto found = m_loads.find(ticket);
    if (found == m_loads.end() || !found->second.fetcher)
        return {};
    // No more than a whole load may bring, whatever the fetcher holds.
    if (from >= kMaxBytes)
        return {};
    QByteArray more = found->second.fetcher->arrivedFrom(found->second.id, from);
    if (std::size_t(more.size()) > kMaxBytes - from)
        more.truncate(qsizetype(kMaxBytes - from));
    return more;
}

void LoadQueue::cancel(std::uint64_t ticket)
{
    const auto found = m_loads.find(ticket);
    if (found == m_loads.end())
        return;
    if (found->second.fetcher)
        found->second.fetcher->cancel(found->second.id);
    m_loads.erase(found);
}

} // namespace swf::script
