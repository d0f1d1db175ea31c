#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include "platform/FileRegistryStore.h"
#include "support/TempRegistry.h"

namespace {

using namespace platform;

const QString kKey = QStringLiteral("Software\\Brindlewick\\T_V_K\\Settings");

// A string value as the registry functions write it, NUL-terminated.
RegValue sz(const char* text)
{
    return {REG_SZ, QByteArray(text) + '\0'};
}

QStringList setAsideFiles(const fakes::TempRegistry& registry)
{
    return QFileInfo(registry.filePath()).dir().entryList({QStringLiteral("registry.json.corrupt-*")}, QDir::Files);
}

// Restores an environment variable when the test ends.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : m_name(name)
        , m_had(qEnvironmentVariableIsSet(name))
        , m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

TEST(FileRegistryStoreTest, LookingAtAnEmptyStoreFindsNothingAndWritesNothing)
{
    fakes::TempRegistry registry;
    EXPECT_FALSE(registry.store.hasKey(HKEY_CURRENT_USER, kKey));
    EXPECT_FALSE(registry.store.queryValue(HKEY_CURRENT_USER, kKey, QStringLiteral("Path")));
    EXPECT_TRUE(registry.store.hasKey(HKEY_CURRENT_USER, QString())) << "the hive itself always exists";
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(registry.filePath()).absolutePath()));
}

TEST(FileRegistryStoreTest, CreatingAKeyCreatesEveryKeyAboveIt)
{
    fakes::TempRegistry registry;
    ASSERT_TRUE(registry.store.createKey(HKEY_CURRENT_USER, kKey));
    for (const char* path : {"Software", "Software\\Brindlewick", "Software\\Brindlewick\\T_V_K",
                             "Software\\Brindlewick\\T_V_K\\Settings"})
        EXPECT_TRUE(registry.store.hasKey(HKEY_CURRENT_USER, QString::fromLatin1(path))) << path;
    EXPECT_FALSE(registry.store.hasKey(HKEY_CURRENT_USER, QStringLiteral("Software\\Brindle")));
    EXPECT_FALSE(registry.store.hasKey(HKEY_CURRENT_USER, kKey + QStringLiteral("\\Deeper")));
}

TEST(FileRegistryStoreTest, SettingAValueNeedsItsKey)
{
    fakes::TempRegistry registry;
    EXPECT_FALSE(registry.store.setValue(HKEY_CURRENT_USER, kKey, QStringLiteral("Path"), sz("x")));
    EXPECT_FALSE(registry.store.hasKey(HKEY_CURRENT_USER, kKey));
}

TEST(FileRegistryStoreTest, ValuesComeBackWithTheirTypeAndBytesFromTheFile)
{
    struct Case {
        const char* name;
        RegValue value;
    };
    const Case cases[] = {
        {"plain text", {REG_SZ, QByteArray("C:\\movies\\intro.swf\0", 20)}},
        {"text in many scripts", {REG_SZ, QStringLiteral(u"Ünïcödé 日本 🎬").toUtf8() + '\0'}},
        {"text without its NUL", {REG_SZ, QByteArray("abc")}},
        {"text with a NUL inside", {REG_SZ, QByteArray("ab\0cd\0", 6)}},
        {"no bytes at all", {REG_SZ, QByteArray()}},
        {"bytes that are not UTF-8", {REG_SZ, QByteArray("\xff\xfe\0", 3)}},
        {"expandable text", {REG_EXPAND_SZ, QByteArray("%HOME%\0", 7)}},
        {"a number", {REG_DWORD, QByteArray("\x07\0\0\0", 4)}},
        {"binary", {REG_BINARY, QByteArray("\x00\x01\x02\xff", 4)}},
        {"a type the system does not name", {42, QByteArray("?")}},
    };
    fakes::TempRegistry registry;
    ASSERT_TRUE(registry.store.createKey(HKEY_CURRENT_USER, kKey));
    for (const Case& c : cases)
        ASSERT_TRUE(registry.store.setValue(HKEY_CURRENT_USER, kKey, QString::fromLatin1(c.name), c.value)) << c.name;

    const FileRegistryStore reopened(registry.filePath());
    for (const Case& c : cases) {
        const std::optional<RegValue> read = reopened.queryValue(HKEY_CURRENT_USER, kKey, QString::fromLatin1(c.name));
        ASSERT_TRUE(read) << c.name;
        EXPECT_EQ(*read, c.value) << c.name;
    }
}

TEST(FileRegistryStoreTest, FileIsJsonAPersonCanReadAndEdit)
{
    fakes::TempRegistry registry;
    ASSERT_TRUE(registry.store.createKey(HKEY_CURRENT_USER, kKey));
    ASSERT_TRUE(registry.store.setValue(HKEY_CURRENT_USER, kKey, QStringLiteral("Path"), sz("/m/a.swf")));

    const QJsonObject root = QJsonDocument::fromJson(registry.fileBytes()).object();
    const QJsonObject path = root[QStringLiteral("keys")][kKey][QStringLiteral("Path")].toObject();
    EXPECT_EQ(path[QStringLiteral("type")].toString(), QStringLiteral("REG_SZ"));
    EXPECT_EQ(path[QStringLiteral("text")].toString(), QStringLiteral("/m/a.swf"));

    registry.setFileBytes(R"({"format": "Tovimark registry", "version": 1, "hive": "HKEY_CURRENT_USER",
        "keys": {"Software\\Brindlewick\\T_V_K\\Settings": {"Path": {"type": "REG_SZ", "text": "edited"}}}})");
    const std::optional<RegValue> read = registry.store.queryValue(HKEY_CURRENT_USER, kKey, QStringLiteral("Path"));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->text(), QStringLiteral("edited"));
}

TEST(FileRegistryStoreTest, NamesMatchWithoutRegardToCaseAndKeepTheirFirstCase)
{
    fakes::TempRegistry registry;
    ASSERT_TRUE(registry.store.createKey(HKEY_CURRENT_USER, kKey));
    ASSERT_TRUE(registry.store.setValue(HKEY_CURRENT_USER, kKey, QStringLiteral("Path"), sz("one")));
    const QString shouted = kKey.toUpper();
    EXPECT_TRUE(registry.store.hasKey(HKEY_CURRENT_USER, shouted));
    ASSERT_TRUE(registry.store.setValue(HKEY_CURRENT_USER, shouted, QStringLiteral("PATH"), sz("two")));

    const std::optional<RegValue> read = registry.store.queryValue(HKEY_CURRENT_USER, kKey, QStringLiteral("path"));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->text(), QStringLiteral("two"));
    const QJsonObject keys = QJsonDocument::fromJson(registry.fileBytes()).object()[QStringLiteral("keys")].toObject();
    EXPECT_EQ(keys.keys(), QStringList{kKey});
    EXPECT_EQ(keys[kKey].toObject().keys(), QStringList{QStringLiteral("Path")});
}

TEST(FileRegistryStoreTest, RejectsKeyPathsWithAnEmptyName)
{
    fakes::TempRegistry registry;
    for (const char* path : {"\\Software", "Software\\", "Software\\\\Brindlewick"}) {
        EXPECT_FALSE(registry.store.createKey(HKEY_CURRENT_USER, QString::fromLatin1(path))) << path;
        EXPECT_FALSE(registry.store.hasKey(HKEY_CURRENT_USER, QString::fromLatin1(path))) << path;
    }
    EXPECT_FALSE(QFileInfo::exists(registry.filePath()));
}

TEST(FileRegistryStoreTest, KeepsOnlyTheCurrentUsersHive)
{
    fakes::TempRegistry registry;
    EXPECT_FALSE(registry.store.createKey(HKEY_LOCAL_MACHINE, kKey));
    EXPECT_FALSE(registry.store.hasKey(HKEY_LOCAL_MACHINE, QString()));
    ASSERT_TRUE(registry.store.createKey(HKEY_CURRENT_USER, kKey));
    ASSERT_TRUE(registry.store.setValue(HKEY_CURRENT_USER, kKey, QStringLiteral("Path"), sz("x")));
    EXPECT_FALSE(registry.store.queryValue(HKEY_USERS, kKey, QStringLiteral("Path")));
}

TEST(FileRegistryStoreTest, CacheFolderIsTheDesktopsUntilTheStoreHoldsOne)
{
    const ScopedEnv cache("XDG_CACHE_HOME", "/var/tmp/desktop-cache");
    fakes::TempRegistry registry;
    const QString key = QString::fromLatin1(kShellFoldersKey);
    EXPECT_TRUE(registry.store.hasKey(HKEY_CURRENT_USER, key));
    EXPECT_TRUE(registry.store.hasKey(HKEY_CURRENT_USER, QStringLiteral("Software\\Microsoft")));
    std::optional<RegValue> read = registry.store.queryValue(HKEY_CURRENT_USER, key, QStringLiteral("cache"));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->type, REG_SZ);
    EXPECT_EQ(read->text(), QDir::toNativeSeparators(QStringLiteral("/var/tmp/desktop-cache")));
    EXPECT_FALSE(registry.store.queryValue(HKEY_CURRENT_USER, key, QStringLiteral("Cookies")));

    ASSERT_TRUE(registry.store.setValue(HKEY_CURRENT_USER, key, QStringLiteral("Cache"), sz("/srv/web")));
    read = registry.store.queryValue(HKEY_CURRENT_USER, key, QString::fromLatin1(kCacheValue));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->text(), QStringLiteral("/srv/web"));
}

TEST(FileRegistryStoreTest, MalformedFileReadsAsEmptyAndIsKeptAsideByTheNextChange)
{
    const QByteArray cases[] = {
        "",
        "{ not json",
        "[1, 2, 3]",
        R"({"format": "something else", "version": 1, "hive": "HKEY_CURRENT_USER", "keys": {}})",
        R"({"format": "Tovimark registry", "version": 1, "hive": "HKEY_CURRENT_USER", "keys": []})",
        R"({"format": "Tovimark registry", "version": 1, "hive": "HKEY_CURRENT_USER",
            "keys": {"A": {"v": {"type": "REG_SZ", "hex": "zz"}}}})",
        R"({"format": "Tovimark registry", "version": 1, "hive": "HKEY_CURRENT_USER",
            "keys": {"A": {"v": {"type": "REG_NOTHING", "text": "x"}}}})",
        R"({"format": "Tovimark registry", "version": 1, "hive": "HKEY_CURRENT_USER",
            "keys": {"A\\\\B": {}}})",
    };
    for (const QByteArray& bytes : cases) {
        fakes::TempRegistry registry;
        ASSERT_TRUE(QDir().mkpath(QFileInfo(registry.filePath()).absolutePath()));
        registry.setFileBytes(bytes);
        EXPECT_FALSE(registry.store.hasKey(HKEY_CURRENT_USER, QStringLiteral("A"))) << bytes.constData();

        ASSERT_TRUE(registry.store.createKey(HKEY_CURRENT_USER, kKey)) << bytes.constData();
        EXPECT_TRUE(registry.store.hasKey(HKEY_CURRENT_USER, kKey));
        const QStringList aside = setAsideFiles(registry);
        ASSERT_EQ(aside.size(), 1) << bytes.constData();
        QFile kept(QFileInfo(registry.filePath()).dir().filePath(aside.first()));
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), bytes);
    }
}

TEST(FileRegistryStoreTest, FileItCannotReadIsNeverReplaced)
{
    fakes::TempRegistry registry;
    // A folder where the file should be: it exists, yet cannot be read as one.
    ASSERT_TRUE(QDir().mkpath(registry.filePath()));
    EXPECT_FALSE(registry.store.hasKey(HKEY_CURRENT_USER, QStringLiteral("Other")));
    EXPECT_FALSE(registry.store.createKey(HKEY_CURRENT_USER, kKey));
    EXPECT_TRUE(QFileInfo(registry.filePath()).isDir());
    EXPECT_TRUE(setAsideFiles(registry).isEmpty());
}

TEST(FileRegistryStoreTest, FileOfALaterVersionIsLeftToThatVersion)
{
    fakes::TempRegistry registry;
    ASSERT_TRUE(QDir().mkpath(QFileInfo(registry.filePath()).absolutePath()));
    const QByteArray later = R"({"format": "Tovimark registry", "version": 2, "hive": "HKEY_CURRENT_USER", "keys": {}})";
    registry.setFileBytes(later);
    EXPECT_FALSE(registry.store.createKey(HKEY_CURRENT_USER, kKey));
    EXPECT_EQ(registry.fileBytes(), later);
    EXPECT_TRUE(setAsideFiles(registry).isEmpty());
}

TEST(FileRegistryStoreTest, FolderThatCannotBeMadeFailsTheChangeQuietly)
{
    fakes::TempRegistry blocker;
    ASSERT_TRUE(QDir().mkpath(QFileInfo(blocker.filePath()).absolutePath()));
    blocker.setFileBytes("a file, not a folder");
    FileRegistryStore store(blocker.filePath() + QStringLiteral("/registry.json"));
    EXPECT_FALSE(store.createKey(HKEY_CURRENT_USER, kKey));
    EXPECT_FALSE(store.hasKey(HKEY_CURRENT_USER, kKey));
}

} // namespace
