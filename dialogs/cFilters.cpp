#include "dialogs/cFilters.h"

#include <stdexcept>

namespace dialogs {

void cFilters::Clear()
{
    m_entries.clear();
}

QString cFilters::Filter(std::int32_t Index) const
{
    if (m_entries.empty())
        return QString();
    if (Index < 0)
        throw std::out_of_range("Subscript out of range");
    if (std::size_t(Index) >= m_entries.size())
        return QString();
    const FilterEntry& entry = m_entries[std::size_t(Index)];
    return entry.Description + QLatin1Char(';') + entry.Pattern;
}

std::int32_t cFilters::Count() const
{
    return std::int32_t(m_entries.size());
}

void cFilters::AddFilter(QString szDescription, QString szFilter)
{
    try {
        m_entries.push_back({std::move(szDescription), std::move(szFilter)});
    } catch (const std::exception&) {
        // push_back leaves the list as it was when it cannot grow.
    }
}

void cFilters::Remove(std::int32_t Index)
{
    if (Index < 0 || std::size_t(Index) >= m_entries.size())
        return;
    m_entries.erase(m_entries.begin() + Index);
}

QString cFilters::BuildFilterBuffer() const
{
    const QChar nul(u'\0');
    QString buffer;
    for (const FilterEntry& entry : m_entries)
        buffer += entry.Description + nul + entry.Pattern + nul;
    buffer += nul;
    return buffer;
}

} // namespace dialogs
