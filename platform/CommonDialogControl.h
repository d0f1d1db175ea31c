#pragma once

// The common-dialog control that windows drop onto their design: a handful
// of properties and ShowOpen, over the platform's open dialog.

#include <cstdint>
#include <utility>

#include <QString>

#include "platform/FileDialogs.h"

class QWidget;

namespace platform {


class CommonDialogControl {
public:
    // The control's file name buffer holds the longest path the system
    // accepts, its terminating NUL included.
    static constexpr std::uint32_t kMaxFileSize = kMaxPathBuffer;

    CommonDialogControl(FileDialogs& dialogs, QWidget* owner);

    // "Description|pattern|Description|pattern".
    QString Filter() const { return m_filter; }
    void Filter(QString vData) { m_filter = std::move(vData); }

    QString DialogTitle() const { return m_dialogTitle; }
    void DialogTitle(QString vData) { m_dialogTitle = std::move(vData); }

    std::int32_t Flags() const { return m_flags; }
    void Flags(std::int32_t vData) { m_flags = vData; }

    QString FileName() const { return m_fileName; }
    void FileName(QString vData) { m_fileName = std::move(vData); }

    // The modal open dialog. A confirmed choice becomes FileName and the
    // answer is true; a cancel leaves FileName as it was and answers false.
    bool ShowOpen();

private:
    FileDialogs& m_dialogs;
    QWidget* m_owner;
    QString m_filter;
    QString m_dialogTitle;
    std::int32_t m_flags = 0;
    QString m_fileName;
};

} // namespace platform
