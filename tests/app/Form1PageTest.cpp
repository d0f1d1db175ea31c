#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>

#include <memory>

#include "TempTree.h"
#include "app/Form1.h"
#include "support/FakePlatform.h"

namespace {

class Form1PageTest : public testing::Test {
protected:
    void SetUp() override
    {
        // Pages that miss the program's folder land here, not in the home folder.
        m_dataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", tree.at(QStringLiteral("data")).toUtf8());
        form = std::make_unique<app::Form1>(fakes.platform);
        form->Label5->setText(tree.path());
        form->Label6->setText(QStringLiteral("intro.swf"));
        form->Text1->setText(QStringLiteral("/movies/a&b <c>.swf"));
        form->Timer2_Timer();
    }

    void TearDown() override { qputenv("XDG_DATA_HOME", m_dataHome); }

    QString pagePath() const { return tree.at(QStringLiteral("intro.swf.HTML")); }

    QByteArray page() const
    {
        QFile file(pagePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    TempTree tree;
    fakes::FakePlatform fakes;
    std::unique_ptr<app::Form1> form;
    QByteArray m_dataHome;
};

} // namespace

TEST_F(Form1PageTest, GenerateHtmlWritesTheEscapedPageAndOpensIt)
{
    form->GH_Click();
    const QByteArray written = page();
    ASSERT_FALSE(written.isEmpty());
    EXPECT_TRUE(written.startsWith(" <html><Head><Title>\r\n/movies/a&amp;b &lt;c&gt;.swf</title><body>\r\n"));
    EXPECT_TRUE(written.contains("\r\n/movies/a&amp;b &lt;c&gt;.swf\" >\r\n"));
    EXPECT_TRUE(written.endsWith("</embed></object></body></html>\r\n"));
    EXPECT_EQ(written.count("\r\n"), 7);
    EXPECT_EQ(fakes.shell.opened, QStringList {pagePath()});
    EXPECT_TRUE(fakes.messageBox.shown.empty());
}

TEST_F(Form1PageTest, BothMenuItemsDoTheSame)
{
    form->prop_Click();
    const QByteArray first = page();
    QFile::remove(pagePath());
    form->GH_Click();
    EXPECT_EQ(page(), first);
    EXPECT_EQ(fakes.shell.opened.size(), 2);
}

TEST_F(Form1PageTest, Command1AnnouncesThePageInsteadOfOpeningIt)
{
    form->Command1_Click();
    EXPECT_FALSE(page().isEmpty());
    EXPECT_TRUE(fakes.shell.opened.isEmpty());
    ASSERT_EQ(fakes.messageBox.shown.size(), 1u);
    EXPECT_EQ(fakes.messageBox.shown[0].text, QStringLiteral("Output File Located In Application Directory"));
    EXPECT_EQ(fakes.messageBox.shown[0].icon, platform::MsgIcon::Information);
}

TEST_F(Form1PageTest, APageTheProgramsFolderCannotTakeGoesToTheUsersDataFolder)
{
    form->Label5->setText(tree.at(QStringLiteral("no/such/folder")));
    const QString pages = QDir::toNativeSeparators(tree.at(QStringLiteral("data/Tovimark/pages")));
    const QString page = pages + QDir::separator() + QStringLiteral("intro.swf.HTML");
    form->GH_Click();
    EXPECT_TRUE(QFile::exists(page));
    EXPECT_EQ(fakes.shell.opened, QStringList {page});
    form->Command1_Click();
    ASSERT_EQ(fakes.messageBox.shown.size(), 1u);
    EXPECT_EQ(fakes.messageBox.shown[0].text, QStringLiteral("Output File Located In ") + pages);
}

TEST_F(Form1PageTest, APageThatCannotBeWrittenIsReportedAndNeitherOpenedNorAnnounced)
{
    // Neither the program's folder nor a data folder under a plain file.
    tree.file(QStringLiteral("plain"));
    qputenv("XDG_DATA_HOME", tree.at(QStringLiteral("plain")).toUtf8());
    form->Label5->setText(tree.at(QStringLiteral("no/such/folder")));
    form->GH_Click();
    form->Command1_Click();
    EXPECT_TRUE(fakes.shell.opened.isEmpty());
    ASSERT_EQ(fakes.messageBox.shown.size(), 2u);
    for (const auto& message : fakes.messageBox.shown) {
        EXPECT_TRUE(message.text.contains(QStringLiteral("intro.swf.HTML")));
        EXPECT_NE(message.text, QStringLiteral("Output File Located In Application Directory"));
    }
}

TEST_F(Form1PageTest, WithNothingSelectedThePageIsNamedFromTheStaleLabel)
{
    form->Label6->setText(QString());
    form->GH_Click();
    EXPECT_TRUE(QFile::exists(tree.at(QStringLiteral(".HTML"))));
}
