#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>
#include <QPointer>
#include <QWindow>

#include "flash/ShockwaveFlash.h"
#include "fullscreen/Form3.h"
#include "platform/Twips.h"
#include "settings/Registry.h"
#include "support/FakePlatform.h"
#include "support/TempRegistry.h"

namespace {

using fullscreen::Form3;

void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

class Form3Test : public testing::Test {
protected:
    Form3Test() { fake.platform.store = &registry.store; }
    void TearDown() override
    {
        delete Form3::single();
        settle();
    }

    void storePath(const QString& path)
    {
        Registry::WriteRegText(registry.store, Registry::HKEY_CURRENT_USER, QString::fromLatin1(Registry::kSettingsKey),
                               QString::fromLatin1(Registry::kPathValue), path);
    }
    Form3* open() { return Form3::showSingle(fake.platform, [this] { ++unloads; }); }

    fakes::TempRegistry registry;
    fakes::FakePlatform fake;
    int unloads = 0;
};

TEST_F(Form3Test, PlaysTheStoredPathAndShowsItAsTheCaption)
{
    const QString paths[] = {
        QStringLiteral("/nowhere/intro.swf"),
        QStringLiteral("http://127.0.0.1:9/swfs/tvk.swf?frame=2&loop=0"),
        QStringLiteral(u"/nowhere/zoë/動画 🎬.swf"),
    };
    for (const QString& path : paths) {
        storePath(path);
        Form3 form(fake.platform, {});
        EXPECT_EQ(form.windowTitle(), path);
        EXPECT_EQ(form.Text1->text(), path);
        EXPECT_EQ(form.Flash1->Movie(), path);
    }
}

TEST_F(Form3Test, StoredPathAbsentGivesAnEmptyCaptionAndNoMovie)
{
    Form3 form(fake.platform, {});
    EXPECT_EQ(form.windowTitle(), QString());
    EXPECT_EQ(form.Text1->text(), QString());
    EXPECT_EQ(form.Flash1->Movie(), QString());
}

TEST_F(Form3Test, WithoutAStoreTheOtherStepsStillRun)
{
    fake.platform.store = nullptr;
    Form3 form(fake.platform, {});
    EXPECT_EQ(form.windowTitle(), QStringLiteral("fullscreen"));
    EXPECT_EQ(form.Text1->text(), QStringLiteral("Text1"));
    EXPECT_EQ(form.Flash1->Movie(), QStringLiteral("Text1"));
}

TEST_F(Form3Test, ControlsStartWhereTheDesignPutsThem)
{
    Form3 form(fake.platform, {});
    EXPECT_EQ(form.size(), QSize(platform::twipsToPixels(7035), platform::twipsToPixels(5040)));
    EXPECT_EQ(form.Flash1->pos(), QPoint(0, 0));
    EXPECT_EQ(form.Text1->geometry(), platform::twipsRect(1680, 7440, 5175, 285));
    EXPECT_TRUE(form.testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(form.Flash1->playSetting(), true);
    EXPECT_EQ(form.Flash1->Loop(), true);
}

TEST_F(Form3Test, MovieIsAHundredTwipsShortOfTheOuterWindowAfterEveryResize)
{
    Form3* form = open();
    const QSize sizes[] = {{800, 600}, {321, 207}, {1024, 90}, {60, 60}};
    for (const QSize& size : sizes) {
        form->showNormal();
        form->resize(size);
        QApplication::processEvents();
        const QSize outer = form->frameGeometry().size();
        const QSize expected(platform::twipsToPixels(platform::pixelsToTwips(outer.width()) - 100),
                             platform::twipsToPixels(platform::pixelsToTwips(outer.height()) - 100));
        EXPECT_EQ(form->Flash1->size(), expected) << size.width() << "x" << size.height();
        EXPECT_EQ(form->Flash1->pos(), QPoint(0, 0));
    }
}

TEST_F(Form3Test, ClosingCallsBackOnceHoweverItCloses)
{
    Form3* form = open();
    EXPECT_TRUE(form->isVisible());
    form->close();
    settle();
    EXPECT_EQ(unloads, 1);
    EXPECT_EQ(Form3::single(), nullptr);

    form = open();
    form->windowHandle()->close();
    settle();
    EXPECT_EQ(unloads, 2);
    EXPECT_EQ(Form3::single(), nullptr);
}

TEST_F(Form3Test, ShowingAgainWhileOpenKeepsTheOneWindow)
{
    Form3* first = open();
    EXPECT_EQ(open(), first);
    EXPECT_EQ(unloads, 0);
}

} // namespace

namespace {

TEST_F(Form3Test, AMovieDroppedOnTheWindowPlaysInPlaceOfTheStoredOne)
{
    storePath(QStringLiteral("/nowhere/stored.swf"));
    Form3 form(fake.platform, {});
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QStringLiteral("/nowhere/dropped.swf"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &drop);
    EXPECT_EQ(form.Flash1->Movie(), QStringLiteral("/nowhere/dropped.swf"));
    EXPECT_EQ(form.Text1->text(), QStringLiteral("/nowhere/dropped.swf"));
    EXPECT_EQ(unloads, 0);
}

} // namespace
