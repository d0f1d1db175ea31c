#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

#include <memory>

#include "TempTree.h"
#include "app/DirListBox.h"
#include "app/FileListBox.h"
#include "app/Form1.h"
#include "app/Paths.h"
#include "flash/ShockwaveFlash.h"
#include "support/FakePlatform.h"

namespace {

class Form1ArrivalsTest : public testing::Test {
protected:
    void SetUp() override
    {
        tree.file(QStringLiteral("a.swf"));
        tree.file(QStringLiteral("b.swf"));
        tree.file(QStringLiteral("c.bin"));
        form = std::make_unique<app::Form1>(fakes.platform);
    }

    // What a drop of `data` on the window did: whether it was taken.
    bool drop(QMimeData& data)
    {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form.get(), &enter);
        QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form.get(), &dropped);
        EXPECT_EQ(enter.isAccepted(), dropped.isAccepted());
        return dropped.isAccepted();
    }

    TempTree tree;
    fakes::FakePlatform fakes;
    std::unique_ptr<app::Form1> form;
};

TEST_F(Form1ArrivalsTest, AFileOnTheCommandLineIsPickedInTheBrowserAtItsFolder)
{
    const QString movie = app::joinPath(tree.path(), QStringLiteral("b.swf"));
    // As a path or as the file address a file manager hands over.
    for (const QString& argument : {movie, QUrl::fromLocalFile(movie).toString()}) {
        form = std::make_unique<app::Form1>(fakes.platform);
        form->openFromCommandLine(argument);
        EXPECT_EQ(form->Dir1->path(), tree.path());
        EXPECT_EQ(form->File1->fileName(), QStringLiteral("b.swf"));
        EXPECT_EQ(form->Text1->text(), movie);
        EXPECT_EQ(form->ShockwaveFlash1->Movie(), movie);
        EXPECT_TRUE(form->fv->isEnabled());
    }
    EXPECT_TRUE(fakes.messageBox.shown.empty());
}

TEST_F(Form1ArrivalsTest, WhatTheBrowserDoesNotListPlaysAsOpenedAndAFolderIsBrowsedTo)
{
    const QString other = app::joinPath(tree.path(), QStringLiteral("c.bin"));
    form->openFromCommandLine(other);
    EXPECT_EQ(form->Dir1->path(), tree.path());
    EXPECT_TRUE(form->File1->fileName().isEmpty());
    EXPECT_EQ(form->ShockwaveFlash1->Movie(), other);
    EXPECT_FALSE(form->fv->isEnabled());

    tree.folder(QStringLiteral("sub"));
    form->openFromCommandLine(tree.at(QStringLiteral("sub")));
    EXPECT_EQ(form->Dir1->path(), app::joinPath(tree.path(), QStringLiteral("sub")));
    EXPECT_EQ(form->ShockwaveFlash1->Movie(), other);

    const QString address = QStringLiteral("http://127.0.0.1:9/movie.swf");
    form->openFromCommandLine(address);
    EXPECT_EQ(form->Text1->text(), address);
    EXPECT_EQ(form->ShockwaveFlash1->Movie(), address);
    EXPECT_TRUE(fakes.messageBox.shown.empty());
}

TEST_F(Form1ArrivalsTest, AMissingFileIsToldAndLeavesTheWindowAsItStarted)
{
    const QString folder = form->Dir1->path();
    form->openFromCommandLine(tree.at(QStringLiteral("gone.swf")));
    ASSERT_EQ(fakes.messageBox.shown.size(), 1u);
    EXPECT_TRUE(fakes.messageBox.shown[0].text.contains(QStringLiteral("gone.swf")));
    EXPECT_TRUE(fakes.messageBox.shown[0].text.contains(QStringLiteral("File not found")));
    EXPECT_EQ(form->Dir1->path(), folder);
    EXPECT_EQ(form->Text1->text(), QStringLiteral("Movie Path"));
    EXPECT_TRUE(form->ShockwaveFlash1->Movie().isEmpty());
}

TEST_F(Form1ArrivalsTest, AMovieDroppedOnTheWindowPlaysAsOpened)
{
    const QString movie = app::joinPath(tree.path(), QStringLiteral("a.swf"));
    QMimeData file;
    file.setUrls({QUrl::fromLocalFile(movie)});
    EXPECT_TRUE(drop(file));
    EXPECT_EQ(form->Text1->text(), movie);
    EXPECT_EQ(form->ShockwaveFlash1->Movie(), movie);
    EXPECT_FALSE(form->fv->isEnabled());

    QMimeData folder;
    folder.setUrls({QUrl::fromLocalFile(tree.path())});
    EXPECT_FALSE(drop(folder));
    EXPECT_EQ(form->ShockwaveFlash1->Movie(), movie);
}

} // namespace
