#pragma once

#include <cstdint>
#include <vector>

#include <QString>

namespace dialogs {

struct FilterEntry {
    QString Description;
    QString Pattern;
};

// The file-type filters a file dialog offers, in the order they were added;
// position i is filter number i + 1 of the dialog.
class cFilters {
public:
    void Clear();
    // Description, ";" and pattern; empty past the end or on an empty list.
    // A negative index on a non-empty list throws std::out_of_range.
    QString Filter(std::int32_t Index) const;
    std::int32_t Count() const;
    // Never reports a failure: an entry that cannot be stored is not added.
    void AddFilter(QString szDescription, QString szFilter);
    // An index outside the list leaves it as it was.
    void Remove(std::int32_t Index);

private:
    friend class cFileDlg;

    // Description, NUL, pattern, NUL for each entry, then one NUL more.
    QString BuildFilterBuffer() const;

    std::vector<FilterEntry> m_entries;
};

} // namespace dialogs
