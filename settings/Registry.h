#pragma once

// Text values of the settings store, with a default on absence. Each call
// opens its key, works on it and lets it go; the module keeps no state.

#include <QString>
#include <QtGlobal>

#include "platform/RegistryStore.h"

namespace Registry {

inline constexpr quint32 HKEY_CURRENT_USER = platform::HKEY_CURRENT_USER;

// Where the program keeps the movie handed to the full-screen window.
inline constexpr const char* kSettingsKey = "Software\\Brindlewick\\T_V_K\\Settings";
inline constexpr const char* kPathValue = "Path";

// The stored text of a string value, up to its first NUL; defaultText when
// the key or the value is missing or the value is not of the string type.
// Looking never creates the key.
QString ReadRegText(const platform::RegistryStore& store, quint32 hive, const QString& keyPath,
                    const QString& valueName, const QString& defaultText);

// Stores text as a string value, creating the key and every missing key
// above it. A failure is not reported: the value keeps what it held.
void WriteRegText(platform::RegistryStore& store, quint32 hive, const QString& keyPath, const QString& valueName,
                  const QString& text);

} // namespace Registry
