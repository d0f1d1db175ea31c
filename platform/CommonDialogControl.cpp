#include "platform/CommonDialogControl.h"

#include <algorithm>

#include "platform/FileDialogs.h"

namespace platform {

CommonDialogControl::CommonDialogControl(FileDialogs& dialogs, QWidget* owner)
    : m_dialogs(dialogs)
    , m_owner(owner)
{
}

bool CommonDialogControl::ShowOpen()
{
    OpenFileNameA record;
    record.lStructSize = kOpenFileNameSize;
    record.hwndOwner = m_owner;
    // The control's filter separates everything with bars; the record wants
    // NULs and one more to close the list.
    record.lpstrFilter = m_filter.toUtf8().replace('|', '\0');
    record.lpstrFilter.append('\0').append('\0');
    record.nFilterIndex = 1;
    record.lpstrTitle = m_dialogTitle.toUtf8();
    record.Flags = static_cast<std::uint32_t>(m_flags);

    QByteArray file = m_fileName.toUtf8();
    record.nMaxFile = std::max<std::uint32_t>(kMaxFileSize, std::uint32_t(file.size()) + 1);
    file.resize(record.nMaxFile, '\0');
    record.lpstrFile = file;

    if (!m_dialogs.getOpenFileName(record))
        return false;
    m_fileName = filedialog::textOf(record.lpstrFile);
    return true;
}

} // namespace platform
