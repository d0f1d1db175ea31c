#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include "TvkProcess.h"
#include "support/SwfWriter.h"

using Bytes = std::vector<std::uint8_t>;
using swftest::SwfWriter;

namespace {

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes movie(swf::Compression compression, std::optional<std::uint32_t> declaredLength = {})
{
    SwfWriter writer;
    writer.setFrameSize(200, 100).setBackground({1, 2, 3});
    if (declaredLength)
        writer.setDeclaredLength(*declaredLength);
    for (int i = 0; i < 50; ++i)
        writer.showFrame();
    return writer.build(compression);
}

// What later projectors write after their movie: a mark, then its length.
Bytes trailer(std::size_t length, std::uint32_t mark = 0xFA123456)
{
    Bytes bytes;
    for (const std::uint32_t value : {mark, std::uint32_t(length)})
        for (int i = 0; i < 4; ++i)
            bytes.push_back(std::uint8_t(value >> (8 * i)));
    return bytes;
}

// A player head with no signature in it.
Bytes head(std::size_t size) { return Bytes(size, 0x90); }

Bytes contentOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return Bytes(bytes.begin(), bytes.end());
}

} // namespace

TEST(ExtractCommand, FindsTheMovieBySignatureOrByTheProjectorsTrailer)
{
    const Bytes fws = movie(swf::Compression::None);
    const Bytes cws = movie(swf::Compression::Zlib);
    const Bytes zws = movie(swf::Compression::Lzma);
    const Bytes fwsLying = movie(swf::Compression::None, std::uint32_t(fws.size() + 1));
    Bytes cwsNoZlib = cws;
    cwsNoZlib[8] ^= 0xFF;
    const struct {
        const char* name;
        Bytes projector;
        Bytes movie; // empty: none is to be found
        const char* way = "";
    } cases[] {
        {"uncompressed, past the player head", head(300'000) + fws, fws, "by its FWS signature at offset 300000"},
        {"uncompressed, trailer and all, is cut at its signature", head(300'000) + fws + trailer(fws.size()),
         fws + trailer(fws.size()), "by its FWS signature"},
        {"zlib, by the trailer", head(300'000) + cws + trailer(cws.size()), cws,
         "by the projector's trailer at offset 300000 (CWS)"},
        {"LZMA in a small projector", head(1000) + zws + trailer(zws.size()), zws, "trailer at offset 1000 (ZWS)"},
        {"uncompressed in a small projector", head(1000) + fws + trailer(fws.size()), fws, "trailer at offset 1000 (FWS)"},
        {"trailer one byte long", head(1000) + cws + trailer(cws.size() + 1), {}},
        {"trailer with another mark", head(1000) + cws + trailer(cws.size(), 0xFA123457), {}},
        {"trailer longer than the file", head(10) + cws + trailer(cws.size() + 20), {}},
        {"header declaring another length", head(1000) + fwsLying + trailer(fwsLying.size()), {}},
        {"no zlib stream behind CWS", head(1000) + cwsNoZlib + trailer(cwsNoZlib.size()), {}},
        {"no trailer at all", head(1000) + cws, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scratch scratch;
        const TvkRun run = runTvk({"extract", scratch.write("projector.exe", c.projector), scratch.path("out.swf")});
        if (c.movie.empty()) {
            EXPECT_EQ(run.status, 1);
            EXPECT_EQ(run.err.trimmed(), QByteArray("tvk: Bad File"));
            EXPECT_FALSE(QFileInfo::exists(scratch.path("out.swf")));
            continue;
        }
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_TRUE(run.out.contains(QByteArray("extracted size: ") + QByteArray::number(qsizetype(c.movie.size()))))
            << run.out.toStdString();
        EXPECT_TRUE(run.out.contains(c.way)) << run.out.toStdString();
        EXPECT_EQ(contentOf(scratch.path("out.swf")), c.movie);
    }
}

// Run by the superuser, the extractor once renamed its movie over
// /dev/full. A FIFO, and where allowed a device, in a scratch folder stand
// in for it.
TEST(ExtractCommand, LeavesADestinationThatIsNoRegularFileAlone)
{
    Scratch scratch;
    const Bytes cws = movie(swf::Compression::Zlib);
    const QString projector = scratch.write("projector.exe", head(300'000) + cws + trailer(cws.size()));
    std::vector<QString> destinations {scratch.path("pipe.swf")};
    ASSERT_EQ(::mkfifo(QFile::encodeName(destinations[0]).constData(), 0600), 0);
    if (::mknod(QFile::encodeName(scratch.path("full.swf")).constData(), S_IFCHR | 0600, makedev(1, 7)) == 0)
        destinations.push_back(scratch.path("full.swf"));
    for (const QString& destination : destinations) {
        struct stat before {};
        ASSERT_EQ(::lstat(QFile::encodeName(destination).constData(), &before), 0);
        const TvkRun run = runTvk({"extract", projector, destination});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains("not a regular file")) << run.err.toStdString();
        struct stat after {};
        ASSERT_EQ(::lstat(QFile::encodeName(destination).constData(), &after), 0);
        EXPECT_EQ(after.st_mode, before.st_mode) << destination.toStdString();
        EXPECT_EQ(after.st_rdev, before.st_rdev) << destination.toStdString();
        EXPECT_EQ(after.st_ino, before.st_ino) << destination.toStdString();
    }
}
