#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// The "drives" a person browses. On Linux these are the roots of mounted
// file systems worth browsing (/, a separate /home, removable and network
// mounts); on Windows, the drive letters. A drive's path is its root folder.
class Drives {
public:
    virtual ~Drives() = default;
    virtual QStringList roots() const = 0;
    // The drive that holds a path: the longest root that contains it.
    QString driveOf(const QString& path) const;
};

class MountedDrives final : public Drives {
public:
    QStringList roots() const override;
};

} // namespace platform
