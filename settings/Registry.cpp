#include "settings/Registry.h"

namespace Registry {

QString ReadRegText(const platform::RegistryStore& store, quint32 hive, const QString& keyPath,
                    const QString& valueName, const QString& defaultText)
{
    const std::optional<platform::RegValue> value = store.queryValue(hive, keyPath, valueName);
    if (!value || value->type != platform::REG_SZ)
        return defaultText;
    // Read whole, however long: the store has no length limit to guard.
    return value->text();
}

void WriteRegText(platform::RegistryStore& store, quint32 hive, const QString& keyPath, const QString& valueName,
                  const QString& text)
{
    if (!store.createKey(hive, keyPath))
        return;
    store.setValue(hive, keyPath, valueName, {platform::REG_SZ, text.toUtf8() + '\0'});
}

} // namespace Registry
