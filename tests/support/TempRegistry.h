#pragma once

// A settings store of its own for each test, in a scratch folder that goes
// away with it.

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include "platform/FileRegistryStore.h"

namespace fakes {

struct TempRegistry {
    QString filePath() const { return store.filePath(); }

    QByteArray fileBytes() const
    {
        QFile file(filePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void setFileBytes(const QByteArray& bytes) const
    {
        QFile file(filePath());
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(bytes);
    }

    QTemporaryDir folder;
    platform::FileRegistryStore store{folder.filePath(QStringLiteral("Tovimark/registry.json"))};
};

} // namespace fakes
