#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include "settings/Registry.h"
#include "support/TempRegistry.h"

namespace {

using namespace Registry;
using platform::RegValue;

const QString kKey = QString::fromLatin1(kSettingsKey);
const QString kPath = QString::fromLatin1(kPathValue);
const QString kDefault = QStringLiteral("<default>");

class RegistryTest : public testing::Test {
protected:
    QString read(const QString& valueName = kPath) const
    {
        return ReadRegText(registry.store, HKEY_CURRENT_USER, kKey, valueName, kDefault);
    }
    void write(const QString& text) { WriteRegText(registry.store, HKEY_CURRENT_USER, kKey, kPath, text); }
    // A value as some other program might have left it.
    void plant(const RegValue& value)
    {
        ASSERT_TRUE(registry.store.createKey(HKEY_CURRENT_USER, kKey));
        ASSERT_TRUE(registry.store.setValue(HKEY_CURRENT_USER, kKey, kPath, value));
    }

    fakes::TempRegistry registry;
};

TEST_F(RegistryTest, FirstRunReadsTheDefaultAndCreatesNoKey)
{
    EXPECT_EQ(read(), kDefault);
    EXPECT_EQ(ReadRegText(registry.store, HKEY_CURRENT_USER, kKey, kPath, QString()), QString());
    EXPECT_FALSE(registry.store.hasKey(HKEY_CURRENT_USER, QStringLiteral("Software\\Brindlewick")));
    EXPECT_FALSE(QFileInfo::exists(registry.filePath()));
}

TEST_F(RegistryTest, OneWriteCreatesEveryMissingKey)
{
    write(QStringLiteral("/movies/intro.swf"));
    for (const char* path : {"Software\\Brindlewick", "Software\\Brindlewick\\T_V_K", kSettingsKey})
        EXPECT_TRUE(registry.store.hasKey(HKEY_CURRENT_USER, QString::fromLatin1(path))) << path;
    EXPECT_EQ(read(), QStringLiteral("/movies/intro.swf"));
}

TEST_F(RegistryTest, WrittenTextsReadBackAsWritten)
{
    const QString texts[] = {
        QString(), // empty reads back empty, not as the default
        QStringLiteral("C:\\Tools\\intro.swf"),
        QStringLiteral("http://www.example.com/movie.swf?a=1&b=\"2\""),
        QStringLiteral(u"/home/zoë/Фильмы/動画 🎬.swf"),
        QStringLiteral("  padded  "),
        QString(100'000, QLatin1Char('x')) + QStringLiteral("end"),
    };
    for (const QString& text : texts) {
        write(text);
        EXPECT_EQ(read(), text) << text.left(40).toStdString();
    }
}

TEST_F(RegistryTest, StoredValuesReadAsTheirTextUpToTheFirstNul)
{
    struct Case {
        const char* what;
        RegValue stored;
        QString expected;
    };
    const Case cases[] = {
        {"string without a terminating NUL", {platform::REG_SZ, QByteArray("abc")}, QStringLiteral("abc")},
        {"string with a NUL inside", {platform::REG_SZ, QByteArray("ab\0cd\0", 6)}, QStringLiteral("ab")},
        {"string of zero bytes", {platform::REG_SZ, QByteArray()}, QString()},
        {"string starting with NUL", {platform::REG_SZ, QByteArray("\0xyz\0", 5)}, QString()},
        {"expandable string", {platform::REG_EXPAND_SZ, QByteArray("%HOME%\0", 7)}, kDefault},
        {"number", {platform::REG_DWORD, QByteArray("\x01\0\0\0", 4)}, kDefault},
        {"binary", {platform::REG_BINARY, QByteArray("abc\0", 4)}, kDefault},
        {"multiple strings", {platform::REG_MULTI_SZ, QByteArray("a\0b\0\0", 5)}, kDefault},
    };
    for (const Case& c : cases) {
        plant(c.stored);
        EXPECT_EQ(read(), c.expected) << c.what;
    }
}

TEST_F(RegistryTest, MissingValueUnderAnExistingKeyReadsTheDefault)
{
    write(QStringLiteral("x"));
    EXPECT_EQ(read(QStringLiteral("Other")), kDefault);
}

TEST_F(RegistryTest, WriteThatCannotBeStoredLeavesThePreviousText)
{
    write(QStringLiteral("kept"));
    // A later version's file is not ours to replace.
    const QByteArray later =
        R"({"format": "Tovimark registry", "version": 9, "hive": "HKEY_CURRENT_USER", "keys": {}})";
    const QByteArray before = registry.fileBytes();
    registry.setFileBytes(later);
    write(QStringLiteral("lost"));
    EXPECT_EQ(registry.fileBytes(), later);
    registry.setFileBytes(before);
    EXPECT_EQ(read(), QStringLiteral("kept"));
}

TEST_F(RegistryTest, StoreFileCutAtAnyByteReadsWithoutHarm)
{
    const QString value = QStringLiteral(u"/home/zoë/movies/intro \"1\".swf");
    write(value);
    WriteRegText(registry.store, HKEY_CURRENT_USER, kKey, QStringLiteral("Other"), QStringLiteral("more"));
    const QByteArray whole = registry.fileBytes();
    ASSERT_FALSE(whole.isEmpty());

    for (qsizetype size = 0; size < whole.size(); ++size) {
        registry.setFileBytes(whole.left(size));
        const QString got = read();
        ASSERT_TRUE(got == kDefault || got == value) << "cut at " << size << ": " << got.toStdString();
    }
    // The last cut left a malformed file; the next write keeps it aside.
    registry.setFileBytes(whole.left(whole.size() / 2));
    write(QStringLiteral("after"));
    EXPECT_EQ(read(), QStringLiteral("after"));
    const QDir folder = QFileInfo(registry.filePath()).dir();
    EXPECT_EQ(folder.entryList({QStringLiteral("registry.json.corrupt-*")}, QDir::Files).size(), 1);
}

// Two running copies writing at once, each 1,000 times, while this one reads.
TEST_F(RegistryTest, TwoProcessesWritingTogetherNeverCorruptTheStore)
{
    constexpr int kWrites = 1000;
    QProcess writers[2];
    const QString names[2] = {QStringLiteral("A"), QStringLiteral("B")};
    for (int i = 0; i < 2; ++i) {
        writers[i].setProcessChannelMode(QProcess::ForwardedChannels);
        writers[i].start(QStringLiteral(TVK_REGISTRY_WRITER),
                         {registry.filePath(), names[i], QString::number(kWrites)});
        ASSERT_TRUE(writers[i].waitForStarted(10'000));
    }

    // Every read in between sees a whole file: once a value is there, it
    // never reads as missing again, and it is always one a writer wrote.
    const QRegularExpression written(QStringLiteral("^[AB]-\\d+$"));
    bool seen = false;
    int reads = 0;
    QElapsedTimer clock;
    clock.start();
    while ((writers[0].state() != QProcess::NotRunning || writers[1].state() != QProcess::NotRunning)
           && clock.elapsed() < 240'000) {
        const QString got = read();
        if (got == kDefault) {
            ASSERT_FALSE(seen) << "the value vanished after " << reads << " reads";
        } else {
            ASSERT_TRUE(written.match(got).hasMatch()) << got.toStdString();
            seen = true;
        }
        ++reads;
        writers[0].waitForFinished(1);
        writers[1].waitForFinished(1);
    }
    for (QProcess& writer : writers) {
        if (writer.state() != QProcess::NotRunning) {
            ASSERT_TRUE(writer.waitForFinished(10'000));
        }
        EXPECT_EQ(writer.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(writer.exitCode(), 0);
    }

    // Each wrote its own value last at kWrites - 1 and the shared one at kWrites - 2.
    EXPECT_EQ(read(QStringLiteral("A")), QString::number(kWrites - 1)) << "a write of A was lost";
    EXPECT_EQ(read(QStringLiteral("B")), QString::number(kWrites - 1)) << "a write of B was lost";
    const QString lastShared = QString::number(kWrites - 2);
    const QString path = read();
    EXPECT_TRUE(path == QStringLiteral("A-") + lastShared || path == QStringLiteral("B-") + lastShared)
        << path.toStdString();
    const QDir folder = QFileInfo(registry.filePath()).dir();
    EXPECT_TRUE(folder.entryList({QStringLiteral("registry.json.corrupt-*")}, QDir::Files).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(registry.filePath() + QStringLiteral(".lock")));
}

} // namespace
