#include "swf/script/FileFetcher.h"

#include <QFile>

namespace swf::script {

std::uint64_t FileFetcher::start(FetchRequest request)
{
    m_waiting.emplace(++m_next, std::move(request));
    return m_next;
}

FetchProgress FileFetcher::progress(std::uint64_t) const
{
    return {};
}

std::optional<FetchOutcome> FileFetcher::take(std::uint64_t id)
{
    const auto found = m_waiting.find(id);
    if (found == m_waiting.end()) {
        FetchOutcome forgotten;
        forgotten.error = "the load was forgotten";
        return forgotten;
    }
    const FetchRequest request = std::move(found->second);
    m_waiting.erase(found);
    FetchOutcome outcome;
    QFile file(QString::fromStdString(request.location));
    if (!file.open(QIODevice::ReadOnly)) {
        outcome.error = file.errorString().toStdString();
        return outcome;
    }
    outcome.found = true;
    const auto cap = qint64(request.maxBytes);
    if (file.size() > cap) {
        outcome.error = "larger than a load may be";
        return outcome;
    }
    // Read against the cap again: the file may have grown since, or be a
    // device that never ends.
    outcome.bytes = file.read(cap + 1);
    if (file.error() != QFileDevice::NoError)
        outcome.error = file.errorString().toStdString();
    else if (outcome.bytes.size() > cap)
        outcome.error = "larger than a load may be";
    outcome.ok = outcome.error.empty();
    if (!outcome.ok)
        outcome.bytes.clear();
    return outcome;
}

void FileFetcher::cancel(std::uint64_t id)
{
    m_waiting.erase(id);
}

} // namespace swf::script
