#include <gtest/gtest.h>

#include <functional>

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPushButton>
#include <QWindow>

#include "about/Form2.h"
#include "platform/Twips.h"
#include "platform/WebAddresses.h"
#include "support/FakePlatform.h"

namespace {

using about::Form2;

// Destroys what closing scheduled for destruction.
void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

// The mouse passing over a widget, delivered as the desktop would: to the
// widget under the pointer, with Qt passing it on to parents from there.
void moveOver(QWidget* widget)
{
    const QPoint local = widget->rect().center();
    QMouseEvent move(QEvent::MouseMove, local, widget->mapToGlobal(local), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

void click(QWidget* widget)
{
    const QPoint local = widget->rect().center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, local, widget->mapToGlobal(local), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }
}

class Form2Test : public testing::Test {
protected:
    void SetUp() override { mainWindow.show(); }
    void TearDown() override
    {
        delete Form2::single();
        settle();
    }

    Form2* open() { return Form2::showSingle(fake.platform, &mainWindow); }
    bool underlined(const Form2* form) const { return form->Label1->font().underline(); }

    fakes::FakePlatform fake;
    QMainWindow mainWindow;
};

TEST_F(Form2Test, OpensInItsDesignState)
{
    Form2* form = open();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("About"));
    EXPECT_EQ(form->size(), QSize(platform::twipsToPixels(5370), platform::twipsToPixels(3270)));
    EXPECT_FALSE(form->windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(form->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(form->palette().color(QPalette::Window), QColor(Qt::white));

    struct Control {
        QWidget* widget;
        QRect twips;
        QString text;
    };
    const Control controls[] = {
        {form->Image1, {0, 0, 1575, 1485}, QString()},
        {form->Label1, {2280, 120, 2925, 225}, QString::fromLatin1(Form2::kMakerLine)},
        {form->Label2, {2280, 360, 1410, 225}, QString()},
        {form->Label3, {2280, 600, 1125, 225}, QStringLiteral("Version : 1.00")},
        {form->Label4, {120, 2160, 4335, 495}, QString::fromLatin1(Form2::kLegalNotice)},
        {form->Label5, {120, 2760, 3975, 495},
         QStringLiteral("Flash Player and Flash Are Trade Mark Of Macromedia Inc.")},
        {form->Command1, {4200, 2880, 1095, 325}, QStringLiteral("O.k")},
    };
    for (const Control& c : controls) {
        EXPECT_EQ(c.widget->geometry(),
                  platform::twipsRect(c.twips.x(), c.twips.y(), c.twips.width(), c.twips.height()))
            << c.text.toStdString();
        if (auto* label = qobject_cast<QLabel*>(c.widget); label && c.widget != form->Image1) {
            EXPECT_EQ(label->text(), c.text);
            EXPECT_EQ(label->font().families().value(0), QStringLiteral("Arial"));
        }
    }
    EXPECT_EQ(form->Command1->text(), QStringLiteral("O.k"));
    EXPECT_EQ(form->Image1->pixmap().size(), QSize(105, 99));
    EXPECT_EQ(form->Label1->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(form->Label1->cursor().pixmap().size(), QSize(32, 32));
    EXPECT_FALSE(underlined(form));
}

TEST_F(Form2Test, OnlyOneWindowAtATime)
{
    Form2* first = open();
    EXPECT_EQ(open(), first);
    EXPECT_EQ(Form2::single(), first);
}

TEST_F(Form2Test, MainWindowIsDisabledWhileLoadedAndEnabledHoweverItCloses)
{
    struct Way {
        const char* name;
        std::function<void(Form2*)> close;
    };
    const Way ways[] = {
        {"O.k", [](Form2* form) { form->Command1->click(); }},
        {"close box", [](Form2* form) { form->windowHandle()->close(); }},
        {"system menu", [](Form2* form) { form->close(); }},
        {"destroyed", [](Form2* form) { delete form; }},
    };
    for (const Way& way : ways) {
        Form2* form = open();
        EXPECT_FALSE(mainWindow.isEnabled()) << way.name;
        way.close(form);
        settle();
        EXPECT_TRUE(mainWindow.isEnabled()) << way.name;
        EXPECT_EQ(Form2::single(), nullptr) << way.name;
    }
}

TEST_F(Form2Test, WindowOutlivingItsMainWindowClosesQuietly)
{
    auto* main = new QMainWindow;
    Form2* form = Form2::showSingle(fake.platform, main);
    delete main;
    form->close();
    settle();
    EXPECT_EQ(Form2::single(), nullptr);
}

TEST_F(Form2Test, LinkIsUnderlinedUntilThePointerReachesTheBackground)
{
    Form2* form = open();
    moveOver(form->Label1);
    EXPECT_TRUE(underlined(form));
    for (QWidget* other : {static_cast<QWidget*>(form->Image1), static_cast<QWidget*>(form->Label2),
                           static_cast<QWidget*>(form->Label5), static_cast<QWidget*>(form->Command1)}) {
        moveOver(other);
        EXPECT_TRUE(underlined(form)) << other->metaObject()->className();
    }
    moveOver(form);
    EXPECT_FALSE(underlined(form));
}

TEST_F(Form2Test, ClickingTheLinkOpensTheMakersPageAndClearsTheUnderline)
{
    Form2* form = open();
    moveOver(form->Label1);
    click(form->Label1);
    EXPECT_EQ(fake.shell.opened, QStringList{QString::fromLatin1(platform::web::kMakerHome)});
    EXPECT_FALSE(underlined(form));
    moveOver(form->Label1);
    EXPECT_TRUE(underlined(form));

    fake.shell.succeeds = false;
    click(form->Label1);
    EXPECT_EQ(fake.shell.opened.size(), 2);
    EXPECT_TRUE(fake.messageBox.shown.empty());
    EXPECT_EQ(Form2::single(), form);
    EXPECT_TRUE(form->isVisible());
}

} // namespace
