#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPointer>

#include <memory>

#include "TempTree.h"
#include "about/Form2.h"
#include "app/CommonDialog.h"
#include "app/DirListBox.h"
#include "app/FileListBox.h"
#include "app/Form1.h"
#include "flash/ShockwaveFlash.h"
#include "fullscreen/Form3.h"
#include "settings/Registry.h"
#include "platform/RegistryStore.h"
#include "support/FakePlatform.h"

namespace {

class Form1ViewTest : public testing::Test {
protected:
    void SetUp() override { form = std::make_unique<app::Form1>(fakes.platform); }

    void storeCache(const QString& folder)
    {
        auto& store = fakes.registry.store;
        const QString key = QString::fromLatin1(platform::kShellFoldersKey);
        ASSERT_TRUE(store.createKey(platform::HKEY_CURRENT_USER, key));
        ASSERT_TRUE(store.setValue(platform::HKEY_CURRENT_USER, key, QString::fromLatin1(platform::kCacheValue),
                                   {platform::REG_SZ, folder.toUtf8() + '\0'}));
    }

    fakes::FakePlatform fakes;
    std::unique_ptr<app::Form1> form;
};

} // namespace

TEST_F(Form1ViewTest, BackgroundColourOpensWithBlackAndPassesTheChoiceOn)
{
    form->ShockwaveFlash1->setBackgroundColor(0x00FFFFFF);
    fakes.colorDialog.answers.push_back({1, 0x00563412, {}});
    form->bg_Click();
    ASSERT_EQ(fakes.colorDialog.shown.size(), 1u);
    EXPECT_EQ(fakes.colorDialog.shown[0].record.rgbResult, 0u);
    EXPECT_EQ(fakes.colorDialog.shown[0].record.Flags, 0x101u);
    EXPECT_EQ(form->ShockwaveFlash1->BackgroundColor(), 0x00563412);

    // A cancel leaves the colour as it was, quietly.
    form->bg_Click();
    EXPECT_EQ(form->ShockwaveFlash1->BackgroundColor(), 0x00563412);
    EXPECT_TRUE(fakes.messageBox.shown.empty());
}

TEST_F(Form1ViewTest, TemporaryInternetFolderMovesTheBrowserToTheStoredCache)
{
    TempTree cache;
    cache.file(QStringLiteral("cached.swf"));
    storeCache(cache.path());
    form->clos_Click();
    EXPECT_EQ(form->Dir1->path(), cache.path());
    EXPECT_EQ(form->File1->listCount(), 1);
    EXPECT_TRUE(fakes.messageBox.shown.empty());
}

TEST_F(Form1ViewTest, ACacheFolderThatIsNotThereIsReportedAndChangesNothing)
{
    TempTree tree;
    ASSERT_TRUE(form->Dir1->setPath(tree.path()));
    storeCache(tree.at(QStringLiteral("gone")));
    form->clos_Click();
    EXPECT_EQ(form->Dir1->path(), tree.path());
    ASSERT_EQ(fakes.messageBox.shown.size(), 1u);
    EXPECT_TRUE(fakes.messageBox.shown[0].text.startsWith(QStringLiteral("Run-time error")));
}

TEST_F(Form1ViewTest, WithNoStoredCacheTheDesktopsCacheFolderAnswers)
{
    EXPECT_EQ(form->iNetCache(), platform::desktopCacheFolder());
}

TEST_F(Form1ViewTest, AboutDisablesTheMainWindowWhileItIsOpen)
{
    form->ab_Click();
    about::Form2* about = about::Form2::single();
    ASSERT_NE(about, nullptr);
    EXPECT_FALSE(form->isEnabled());
    form->ab_Click();
    EXPECT_EQ(about::Form2::single(), about);
    about->close();
    QApplication::processEvents();
    EXPECT_TRUE(form->isEnabled());
}

TEST(Form1FullScreen, HandsThePathOverThroughTheStoreAndComesBackFresh)
{
    fakes::FakePlatform fakes;
    QPointer<app::Form1> form = new app::Form1(fakes.platform);
    form->Text1->setText(QStringLiteral("/movies/edited by hand.swf"));
    form->fv->setEnabled(true);
    form->fv_Click();

    EXPECT_EQ(Registry::ReadRegText(fakes.registry.store, Registry::HKEY_CURRENT_USER,
                                    QString::fromLatin1(Registry::kSettingsKey),
                                    QString::fromLatin1(Registry::kPathValue), QString()),
              QStringLiteral("/movies/edited by hand.swf"));
    fullscreen::Form3* full = fullscreen::Form3::single();
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(full->Flash1->Movie(), QStringLiteral("/movies/edited by hand.swf"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());

    full->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    app::Form1* back = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* candidate = qobject_cast<app::Form1*>(window); candidate && candidate->isVisible())
            back = candidate;
    }
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Text1->text(), QStringLiteral("Movie Path"));
    EXPECT_FALSE(back->fv->isEnabled());
    EXPECT_TRUE(back->ShockwaveFlash1->Movie().isEmpty());
    delete back;
}
