#include <csignal>
#include <cstdint>

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "converter/cStorage.h"
#include "tests/converter/Projector.h"

namespace {

using converter::cStorage;

constexpr std::int64_t kUntouched = 12345;

struct Outcome {
    bool result = false;
    std::int64_t total = kUntouched;
    std::int64_t data = kUntouched;
    QString time;
    QString reason;
};

class cStorageTest : public testing::Test {
protected:
    QString path(const QString& name) const { return folder.filePath(name); }

    Outcome parse(const QString& exe, const QString& swf, std::int32_t chunkSize = cStorage::kDefaultChunkSize)
    {
        cStorage storage;
        storage.ChunkSize(chunkSize);
        Outcome outcome;
        outcome.result = storage.Parse(exe, swf, outcome.total, outcome.data, outcome.time);
        outcome.reason = storage.FailureReason();
        return outcome;
    }

    QStringList entries() const { return QDir(folder.path()).entryList(QDir::Files | QDir::System | QDir::Hidden); }

    QTemporaryDir folder;
};

// Where the movie starts, for projectors of each shape; -1 when none is found.
TEST_F(cStorageTest, FindsTheFirstSignatureInsideTheSearchRegion)
{
    struct Case {
        const char* what;
        qsizetype length;
        std::initializer_list<qsizetype> signatures;
        std::int64_t start;
        QByteArray mark = QByteArrayLiteral("FWS");
    };
    const Case cases[] = {
        {"300,000 bytes are too few to search", 300'000, {299'997}, -1},
        {"300,001 bytes leave a region of two", 300'001, {}, -1},
        {"first byte of the region", 400'000, {299'999}, 299'999},
        {"one byte before the region", 400'000, {299'998}, -1},
        {"before the region, then a later one", 400'000, {299'998, 350'000}, 350'000},
        {"last byte of the first chunk", 400'000, {304'094}, 304'094},
        {"two bytes in the first chunk", 400'000, {304'093}, 304'093},
        {"two occurrences, the earlier wins", 400'000, {320'000, 310'000}, 310'000},
        {"the last three bytes", 500'000, {499'997}, 499'997},
        {"region an exact multiple of the chunk", 299'999 + 10 * 4096, {299'999 + 10 * 4096 - 3}, 299'999 + 10 * 4096 - 3},
        {"found in the last chunk of many", 1'000'000, {999'000}, 999'000},
        {"a compressed movie is not recognised", 400'000, {310'000}, -1, QByteArrayLiteral("CWS")},
        {"an LZMA movie is not recognised", 400'000, {310'000}, -1, QByteArrayLiteral("ZWS")},
    };
    for (const Case& each : cases) {
        const QByteArray projector = testprojector::bytes(each.length, each.signatures, each.mark);
        ASSERT_TRUE(testprojector::write(path(QStringLiteral("in.exe")), projector));
        QFile::remove(path(QStringLiteral("out.swf")));
        const Outcome outcome = parse(path(QStringLiteral("in.exe")), path(QStringLiteral("out.swf")));

        EXPECT_EQ(outcome.result, each.start >= 0) << each.what;
        EXPECT_EQ(outcome.total, each.length) << each.what;
        EXPECT_TRUE(outcome.reason.isEmpty()) << each.what;
        EXPECT_TRUE(outcome.time.endsWith(QStringLiteral(" \u00B5s"))) << each.what;
        if (each.start < 0) {
            EXPECT_EQ(outcome.data, kUntouched) << each.what;
            EXPECT_FALSE(QFile::exists(path(QStringLiteral("out.swf")))) << each.what;
        } else {
            EXPECT_EQ(outcome.data, each.length - each.start) << each.what;
            EXPECT_EQ(testprojector::read(path(QStringLiteral("out.swf"))), projector.mid(each.start)) << each.what;
        }
    }
}

TEST_F(cStorageTest, AnyChunkSizeFindsTheSameOccurrence)
{
    // Occurrences straddling chunk boundaries for every size tried.
    const QByteArray projector = testprojector::bytes(420'000, {300'003, 301'111});
    ASSERT_TRUE(testprojector::write(path(QStringLiteral("in.exe")), projector));
    for (std::int32_t chunk : {1, 2, 3, 4, 5, 1000, 4096, 1 << 20, 0x7fffffff}) {
        const Outcome outcome = parse(path(QStringLiteral("in.exe")), path(QStringLiteral("out.swf")), chunk);
        ASSERT_TRUE(outcome.result) << chunk;
        EXPECT_EQ(outcome.data, 420'000 - 300'003) << chunk;
        EXPECT_EQ(testprojector::read(path(QStringLiteral("out.swf"))), projector.mid(300'003)) << chunk;
    }
}

TEST_F(cStorageTest, ChunkSizeBelowOneIsRefusedNotLoopedOn)
{
    ASSERT_TRUE(testprojector::write(path(QStringLiteral("in.exe")), testprojector::bytes(400'000, {350'000})));
    for (std::int32_t chunk : {0, -1}) {
        const Outcome outcome = parse(path(QStringLiteral("in.exe")), path(QStringLiteral("out.swf")), chunk);
        EXPECT_FALSE(outcome.result);
        EXPECT_FALSE(outcome.reason.isEmpty());
        EXPECT_FALSE(QFile::exists(path(QStringLiteral("out.swf"))));
    }
}

TEST_F(cStorageTest, MissingSourceIsABadFileAndCreatesNothing)
{
    const Outcome outcome = parse(path(QStringLiteral("missing.exe")), path(QStringLiteral("out.swf")));
    EXPECT_FALSE(outcome.result);
    EXPECT_EQ(outcome.total, 0);
    EXPECT_EQ(outcome.data, kUntouched);
    EXPECT_TRUE(outcome.reason.isEmpty());
    EXPECT_FALSE(outcome.time.isEmpty());
    EXPECT_TRUE(entries().isEmpty());
}

TEST_F(cStorageTest, NothingFoundLeavesAnEarlierDestinationAlone)
{
    ASSERT_TRUE(testprojector::write(path(QStringLiteral("in.exe")), testprojector::bytes(400'000)));
    ASSERT_TRUE(testprojector::write(path(QStringLiteral("out.swf")), "earlier"));
    EXPECT_FALSE(parse(path(QStringLiteral("in.exe")), path(QStringLiteral("out.swf"))).result);
    EXPECT_EQ(testprojector::read(path(QStringLiteral("out.swf"))), QByteArray("earlier"));
}

TEST_F(cStorageTest, LongerEarlierDestinationEndsUpHoldingJustTheMovie)
{
    const QByteArray projector = testprojector::bytes(400'000, {390'000});
    ASSERT_TRUE(testprojector::write(path(QStringLiteral("in.exe")), projector));
    ASSERT_TRUE(testprojector::write(path(QStringLiteral("out.swf")), QByteArray(200'000, 'x')));
    ASSERT_TRUE(parse(path(QStringLiteral("in.exe")), path(QStringLiteral("out.swf"))).result);
    EXPECT_EQ(testprojector::read(path(QStringLiteral("out.swf"))), projector.mid(390'000));
    EXPECT_EQ(entries(), QStringList({QStringLiteral("in.exe"), QStringLiteral("out.swf")}));
}

TEST_F(cStorageTest, DestinationThatNamesTheSourceIsRefused)
{
    const QByteArray projector = testprojector::bytes(400'000, {350'000});
    const QString source = path(QStringLiteral("in.exe"));
    ASSERT_TRUE(testprojector::write(source, projector));
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("sub")));
    ASSERT_TRUE(QFile::link(source, path(QStringLiteral("soft.swf"))));
    ASSERT_EQ(::link(QFile::encodeName(source).constData(), QFile::encodeName(path(QStringLiteral("hard.swf"))).constData()), 0);

    const QString spellings[] = {
        source,
        folder.path() + QStringLiteral("/./in.exe"),
        folder.path() + QStringLiteral("/sub/../in.exe"),
        folder.path() + QStringLiteral("//in.exe"),
        path(QStringLiteral("soft.swf")),
        path(QStringLiteral("hard.swf")),
    };
    for (const QString& destination : spellings) {
        const Outcome outcome = parse(source, destination);
        EXPECT_FALSE(outcome.result) << destination.toStdString();
        EXPECT_EQ(outcome.total, 400'000);
        EXPECT_EQ(outcome.data, kUntouched);
        EXPECT_FALSE(outcome.reason.isEmpty());
        EXPECT_EQ(testprojector::read(source), projector) << destination.toStdString();
    }
}

TEST_F(cStorageTest, DestinationLinkIsWrittenThroughToItsTarget)
{
    const QByteArray projector = testprojector::bytes(400'000, {350'000});
    ASSERT_TRUE(testprojector::write(path(QStringLiteral("in.exe")), projector));
    ASSERT_TRUE(testprojector::write(path(QStringLiteral("target.swf")), "old"));
    ASSERT_TRUE(QFile::link(path(QStringLiteral("target.swf")), path(QStringLiteral("link.swf"))));
    ASSERT_TRUE(parse(path(QStringLiteral("in.exe")), path(QStringLiteral("link.swf"))).result);
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("link.swf"))).isSymLink());
    EXPECT_EQ(testprojector::read(path(QStringLiteral("target.swf"))), projector.mid(350'000));
}

TEST_F(cStorageTest, DestinationThatCannotBeCreatedIsReported)
{
    ASSERT_TRUE(testprojector::write(path(QStringLiteral("in.exe")), testprojector::bytes(400'000, {350'000})));
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("folder.swf")));
    for (const QString& destination : {path(QStringLiteral("no/such/folder/out.swf")), path(QStringLiteral("folder.swf"))}) {
        const Outcome outcome = parse(path(QStringLiteral("in.exe")), destination);
        EXPECT_FALSE(outcome.result) << destination.toStdString();
        EXPECT_EQ(outcome.data, kUntouched);
        EXPECT_FALSE(outcome.reason.isEmpty()) << destination.toStdString();
    }
}

// What `path` is, down to the device it stands for: the same before and
// after means untouched.
std::string nodeOf(const QString& path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return "missing";
    return std::to_string(info.st_mode) + "/" + std::to_string(info.st_rdev) + "/" + std::to_string(info.st_ino) + "/"
        + std::to_string(info.st_size);
}

// The finished movie would be renamed over the destination, whatever it
// is; anything but a regular file is refused before a byte is written.
TEST_F(cStorageTest, DestinationThatIsNoRegularFileIsRefusedUntouched)
{
    ASSERT_TRUE(testprojector::write(path(QStringLiteral("in.exe")), testprojector::bytes(400'000, {350'000})));
    const QByteArray fifo = QFile::encodeName(path(QStringLiteral("fifo.swf")));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(path(QStringLiteral("fifo.swf")), path(QStringLiteral("link.swf"))));
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("folder.swf")));
    const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray socketPath = QFile::encodeName(path(QStringLiteral("socket.swf")));
    ASSERT_LT(std::size_t(socketPath.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, socketPath.constData(), std::size_t(socketPath.size()));
    ASSERT_EQ(::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    std::vector<std::pair<QString, QString>> destinations {
        {QStringLiteral("fifo.swf"), QStringLiteral("a FIFO")},
        {QStringLiteral("link.swf"), QStringLiteral("a FIFO")},
        {QStringLiteral("folder.swf"), QStringLiteral("a folder")},
        {QStringLiteral("socket.swf"), QStringLiteral("a socket")},
    };
    // Only the superuser can make a device node; /dev/full's numbers.
    if (::mknod(QFile::encodeName(path(QStringLiteral("full.swf"))).constData(), S_IFCHR | 0600, makedev(1, 7)) == 0)
        destinations.push_back({QStringLiteral("full.swf"), QStringLiteral("a character device")});
    const QStringList before = entries();
    for (const auto& [name, kind] : destinations) {
        const std::string node = nodeOf(path(name));
        const Outcome outcome = parse(path(QStringLiteral("in.exe")), path(name));
        EXPECT_FALSE(outcome.result) << name.toStdString();
        EXPECT_EQ(outcome.total, 400'000);
        EXPECT_EQ(outcome.data, kUntouched);
        EXPECT_TRUE(outcome.reason.contains(kind)) << outcome.reason.toStdString();
        EXPECT_EQ(nodeOf(path(name)), node) << name.toStdString();
    }
    EXPECT_EQ(entries(), before) << "no temporary file left behind";
    ::close(listening);
}

// A file size limit makes writes fail the way a full disk does.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_saved;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
};

TEST_F(cStorageTest, FullDiskMidCopyKeepsTheEarlierFileAndLeavesNoPart)
{
    const QByteArray projector = testprojector::bytes(1'000'000, {300'500});
    ASSERT_TRUE(testprojector::write(path(QStringLiteral("in.exe")), projector));
    ASSERT_TRUE(testprojector::write(path(QStringLiteral("out.swf")), "earlier movie"));
    Outcome outcome;
    {
        const FileSizeLimit limit(100'000);
        outcome = parse(path(QStringLiteral("in.exe")), path(QStringLiteral("out.swf")));
    }
    EXPECT_FALSE(outcome.result);
    EXPECT_EQ(outcome.total, 1'000'000);
    EXPECT_EQ(outcome.data, kUntouched);
    EXPECT_FALSE(outcome.reason.isEmpty());
    EXPECT_EQ(testprojector::read(path(QStringLiteral("out.swf"))), QByteArray("earlier movie"));
    EXPECT_EQ(entries(), QStringList({QStringLiteral("in.exe"), QStringLiteral("out.swf")}));
}

TEST_F(cStorageTest, UnreadableSourceIsReportedNotCalledMissing)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop the superuser";
    const QString source = path(QStringLiteral("locked.exe"));
    ASSERT_TRUE(testprojector::write(source, testprojector::bytes(400'000, {350'000})));
    QFile::setPermissions(source, QFileDevice::Permissions());
    const Outcome outcome = parse(source, path(QStringLiteral("out.swf")));
    EXPECT_FALSE(outcome.result);
    EXPECT_EQ(outcome.total, 0);
    EXPECT_FALSE(outcome.reason.isEmpty());
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("out.swf"))));
}

TEST_F(cStorageTest, SourceThatIsAFolderIsReportedNotCalledMissing)
{
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("folder.exe")));
    const Outcome outcome = parse(path(QStringLiteral("folder.exe")), path(QStringLiteral("out.swf")));
    EXPECT_FALSE(outcome.result);
    EXPECT_EQ(outcome.total, 0);
    EXPECT_FALSE(outcome.reason.isEmpty());
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("out.swf"))));
}

} // namespace
