#pragma once

// The settings store where there is no system registry: the HKEY_CURRENT_USER
// hive kept in one JSON file, readable and editable by a person.
//
//   {
//     "format": "Tovimark registry",
//     "version": 1,
//     "hive": "HKEY_CURRENT_USER",
//     "keys": {
//       "Software\\Brindlewick\\T_V_K\\Settings": {
//         "Path": { "type": "REG_SZ", "text": "/home/ann/intro.swf" },
//         "Count": { "type": "REG_DWORD", "hex": "07000000" }
//       }
//     }
//   }
//
// "keys" maps each key path to its values; a key's ancestors exist without
// entries of their own. A string whose bytes are UTF-8 ending in a single
// NUL is written as "text" (the NUL implied); any other data as "hex".
// Types are named where the system names them, else given as numbers.
// Names of keys and values match without regard to case, as the system's
// do, and keep the case they were created with.
//
// Every change re-reads the file under a lock file beside it, then replaces
// it whole (temporary file, flush, rename), so two running copies never
// lose each other's changes or leave half a file. Reading takes no lock: a
// reader sees the file before or after a change, never during one. A
// missing, unreadable or malformed file reads as holding nothing; before a
// change replaces a malformed file, it is renamed aside so that a person
// can still recover it. A file that exists but cannot be read is never
// replaced.
//
// The key kShellFoldersKey and its value kCacheValue belong to the desktop:
// while the file does not hold that value, the store answers with the
// desktop's cache folder.

#include <QString>

#include "platform/RegistryStore.h"

namespace platform {

class FileRegistryStore final : public RegistryStore {
public:
    // The file for HKEY_CURRENT_USER; its folder is created on the first change.
    explicit FileRegistryStore(QString filePath);

    // configurationFolder()/registry.json
    static QString defaultFilePath();

    QString filePath() const { return m_filePath; }

    bool hasKey(RegHive hive, const QString& keyPath) const override;
    std::optional<RegValue> queryValue(RegHive hive, const QString& keyPath,
                                       const QString& valueName) const override;
    bool createKey(RegHive hive, const QString& keyPath) override;
    bool setValue(RegHive hive, const QString& keyPath, const QString& valueName, const RegValue& value) override;

private:
    QString m_filePath;
};

} // namespace platform
