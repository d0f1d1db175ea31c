// registry_writer FILE NAME COUNT
//
// Makes COUNT writes, by turns "NAME-<i>" to the settings path value that
// every writer shares (even i) and the number i to a value of its own named
// NAME (odd i), so that a lost update of either shows.

#include <QCoreApplication>
#include <QStringList>

#include "platform/FileRegistryStore.h"
#include "settings/Registry.h"

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() != 4)
        return 2;
    platform::FileRegistryStore store(args[1]);
    const QString& name = args[2];
    const int count = args[3].toInt();
    const QString key = QString::fromLatin1(Registry::kSettingsKey);
    for (int i = 0; i < count; ++i) {
        const bool shared = i % 2 == 0;
        Registry::WriteRegText(store, Registry::HKEY_CURRENT_USER, key,
                               shared ? QString::fromLatin1(Registry::kPathValue) : name,
                               shared ? QStringLiteral("%1-%2").arg(name).arg(i) : QString::number(i));
    }
    return 0;
}
