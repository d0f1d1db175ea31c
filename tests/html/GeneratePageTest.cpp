#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "html/GeneratePage.h"

namespace {

using html::GeneratePage;
using html::PageTemplate;

// The boxes as the main window holds them once its timer has copied the path.
PageTemplate templateFor(const QString& path)
{
    return {
        QStringLiteral(" <html><Head><Title>"),
        path,
        QStringLiteral("<object classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\" width=\"100%\" "
                       "height=\"100%\">"),
        QStringLiteral("<param name=\"movie\" value=\""),
        path + QStringLiteral("\" >"),
        QStringLiteral("<param name=\"quality\" value=\"high\">"),
        QStringLiteral("</embed></object></body></html>"),
    };
}

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class GeneratePageTest : public testing::Test {
protected:
    QTemporaryDir folder;
    QString folderPath() const { return QDir::toNativeSeparators(folder.path()); }
};

TEST_F(GeneratePageTest, WritesTheSevenLinesWithCrLfForAPlainPath)
{
    const QString movie = folderPath() + QDir::separator() + QStringLiteral("intro.swf");
    const html::PageResult result = GeneratePage(folderPath(), QStringLiteral("intro.swf"), templateFor(movie));

    ASSERT_TRUE(result.ok) << result.reason.toStdString();
    EXPECT_EQ(result.path, folderPath() + QDir::separator() + QStringLiteral("intro.swf.HTML"));
    EXPECT_TRUE(result.reason.isEmpty());
    const QByteArray m = movie.toUtf8();
    EXPECT_EQ(contentsOf(result.path),
              " <html><Head><Title>\r\n" + m + "</title><body>\r\n"
              "<object classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\" width=\"100%\" height=\"100%\">\r\n"
              "<param name=\"movie\" value=\"\r\n" + m + "\" >\r\n"
              "<param name=\"quality\" value=\"high\">\r\n"
              "</embed></object></body></html>\r\n");
}

TEST_F(GeneratePageTest, PathIsEscapedWhereverItIsWritten)
{
    struct Case {
        QString path;
        QByteArray written;
    };
    const Case cases[] = {
        {QStringLiteral("/m/a&b.swf"), "/m/a&amp;b.swf"},
        {QStringLiteral("/m/x\" onload=\"alert(1).swf"), "/m/x&quot; onload=&quot;alert(1).swf"},
        {QStringLiteral("/m/</title><script>x</script>.swf"), "/m/&lt;/title&gt;&lt;script&gt;x&lt;/script&gt;.swf"},
        {QStringLiteral("http://example.com/m.swf?a=1&b=2"), "http://example.com/m.swf?a=1&amp;b=2"},
        {QStringLiteral("C:\\Movies\\it's.swf"), "C:\\Movies\\it's.swf"},
        {QStringLiteral(u"/home/zoë/動画.swf"), QStringLiteral(u"/home/zoë/動画.swf").toUtf8()},
        {QStringLiteral("/m/two\r\nlines.swf"), "/m/two&#13;&#10;lines.swf"},
    };
    for (const Case& c : cases) {
        const html::PageResult result = GeneratePage(folderPath(), QStringLiteral("page"), templateFor(c.path));
        ASSERT_TRUE(result.ok);
        const QList<QByteArray> lines = contentsOf(result.path).split('\n');
        ASSERT_EQ(lines.size(), 8) << c.written.constData(); // seven lines and the empty rest
        EXPECT_EQ(lines[1], c.written + "</title><body>\r") << c.written.constData();
        EXPECT_EQ(lines[4], c.written + "\" >\r") << c.written.constData();
    }
}

TEST_F(GeneratePageTest, FixedLinesAreWrittenAsTheBoxesHoldThem)
{
    PageTemplate page = templateFor(QStringLiteral("/m/a.swf"));
    page.Text7 = QStringLiteral("<param name=\"loop\" value=\"false\">");
    page.Text6 = QStringLiteral("/m/<a>.swf"); // edited, without its ending
    const html::PageResult result = GeneratePage(folderPath(), QStringLiteral("page"), page);
    ASSERT_TRUE(result.ok);
    const QList<QByteArray> lines = contentsOf(result.path).split('\n');
    ASSERT_EQ(lines.size(), 8);
    EXPECT_EQ(lines[4], "/m/&lt;a&gt;.swf\r");
    EXPECT_EQ(lines[5], "<param name=\"loop\" value=\"false\">\r");
}

TEST_F(GeneratePageTest, ExistingPageIsReplacedWhole)
{
    const QString name = folderPath() + QDir::separator() + QStringLiteral("a.swf.HTML");
    QFile old(name);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(10'000, 'z'));
    old.close();
    ASSERT_TRUE(GeneratePage(folderPath(), QStringLiteral("a.swf"), templateFor(QStringLiteral("/a.swf"))).ok);
    EXPECT_FALSE(contentsOf(name).contains('z'));
    EXPECT_TRUE(contentsOf(name).endsWith("</embed></object></body></html>\r\n"));
}

TEST_F(GeneratePageTest, EmptyBaseNameGivesAPageNamedHtmlOnly)
{
    const html::PageResult result = GeneratePage(folderPath(), QString(), templateFor(QStringLiteral("/a.swf")));
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.path, folderPath() + QDir::separator() + QStringLiteral(".HTML"));
    EXPECT_TRUE(QFile::exists(result.path));
}

TEST_F(GeneratePageTest, UnwritableFolderFailsWithThePathAndTheReason)
{
    // A file where the folder should be stops everyone, even the superuser.
    const QString notAFolder = folder.filePath(QStringLiteral("plain-file"));
    QFile blocker(notAFolder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    const html::PageResult result =
        GeneratePage(QDir::toNativeSeparators(notAFolder), QStringLiteral("a.swf"), templateFor(QStringLiteral("/a.swf")));
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.path, QDir::toNativeSeparators(notAFolder) + QDir::separator() + QStringLiteral("a.swf.HTML"));
    EXPECT_FALSE(result.reason.isEmpty());
}

TEST(PageFileNameTest, JoinsWithOneSeparator)
{
    const QString sep = QDir::separator();
    EXPECT_EQ(html::pageFileName(QStringLiteral("/opt/tvk"), QStringLiteral("intro.swf")),
              QStringLiteral("/opt/tvk") + sep + QStringLiteral("intro.swf.HTML"));
    EXPECT_EQ(html::pageFileName(QStringLiteral("/"), QStringLiteral("intro.swf")), QStringLiteral("/intro.swf.HTML"));
}

} // namespace
