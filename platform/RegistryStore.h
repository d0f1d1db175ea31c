#pragma once

// The settings store the registry functions work on: hives holding a tree
// of keys, keys holding typed values. Only what the program's callers need
// is offered: open a key without creating it, create a key path, query a
// value, set a value. No handle outlives a call.

#include <cstdint>
#include <optional>

#include <QByteArray>
#include <QString>

namespace platform {

using RegHive = std::uint32_t;

// The predefined hive handles, with their system values.
inline constexpr RegHive HKEY_CLASSES_ROOT = 0x80000000;
inline constexpr RegHive HKEY_CURRENT_USER = 0x80000001;
inline constexpr RegHive HKEY_LOCAL_MACHINE = 0x80000002;
inline constexpr RegHive HKEY_USERS = 0x80000003;

// Value type codes, with their system values.
inline constexpr std::uint32_t REG_NONE = 0;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_EXPAND_SZ = 2;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;
inline constexpr std::uint32_t REG_DWORD_BIG_ENDIAN = 5;
inline constexpr std::uint32_t REG_LINK = 6;
inline constexpr std::uint32_t REG_MULTI_SZ = 7;
inline constexpr std::uint32_t REG_QWORD = 11;

// Where the desktop says its web browser keeps temporary Internet files.
inline constexpr const char* kShellFoldersKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr const char* kCacheValue = "Cache";

// A value as the store keeps it: its type code and its bytes. Text is
// UTF-8, normally with a terminating NUL, as the writer stored it.
struct RegValue {
    std::uint32_t type = REG_NONE;
    QByteArray data;

    // The data as text up to its first NUL (all of it when there is none).
    QString text() const;

    friend bool operator==(const RegValue&, const RegValue&) = default;
};

class RegistryStore {
public:
    virtual ~RegistryStore() = default;

    // Whether the key exists; looking never creates it. The empty path is
    // the hive itself.
    virtual bool hasKey(RegHive hive, const QString& keyPath) const = 0;

    // The value's type and data; nothing when the key or the value is missing.
    virtual std::optional<RegValue> queryValue(RegHive hive, const QString& keyPath,
                                               const QString& valueName) const = 0;

    // Creates the key and every missing key above it; true when the key
    // exists afterwards.
    virtual bool createKey(RegHive hive, const QString& keyPath) = 0;

    // Stores the value under an existing key, replacing one of the same
    // name; false when the key is missing or the store cannot be written.
    virtual bool setValue(RegHive hive, const QString& keyPath, const QString& valueName, const RegValue& value) = 0;
};

// The desktop's cache folder: $XDG_CACHE_HOME when it is an absolute path,
// else ~/.cache.
QString desktopCacheFolder();

// The folder for the program's own configuration: $XDG_CONFIG_HOME when it
// is an absolute path, else ~/.config, then "Tovimark".
QString configurationFolder();

} // namespace platform
