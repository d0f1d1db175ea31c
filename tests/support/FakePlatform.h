#pragma once

// Doubles of the desktop for headless tests: every dialog answers from a
// script and every call is recorded.

#include <deque>
#include <vector>

#include <QString>
#include <QStringList>

#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "support/FakeColorDialog.h"
#include "support/FakePrinter.h"
#include "support/FakeFileDialogs.h"
#include "support/TempRegistry.h"
#include "platform/Drives.h"
#include "platform/InputBox.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/Shell.h"

namespace fakes {

struct ShownMessage {
    QString text;
    QString title;
    platform::MsgButtons buttons;
    platform::MsgIcon icon;
};

class FakeMessageBox final : public platform::MessageBox {
public:
    platform::MsgResult show(QWidget* owner, const QString& text, const QString& title,
                             platform::MsgButtons buttons, platform::MsgIcon icon) override;

    std::vector<ShownMessage> shown;
    std::deque<platform::MsgResult> answers; // Ok when empty
};

class FakeInputBox final : public platform::InputBox {
public:
    QString ask(QWidget* owner, const QString& prompt, const QString& title, const QString& defaultAnswer) override;

    struct Question {
        QString prompt;
        QString title;
        QString defaultAnswer;
    };
    std::vector<Question> asked;
    std::deque<QString> answers; // the default answer when empty
};

class FakeShell final : public platform::Shell {
public:
    bool open(const QString& target) override;

    QStringList opened;
    bool succeeds = true;
};

class FakeClock final : public platform::Clock {
public:
    std::int64_t frequency() const override { return ticksPerSecond; }
    std::int64_t counter() const override { return now; }

    std::int64_t ticksPerSecond = 1'000'000;
    std::int64_t now = 0;
};

class FakeDrives final : public platform::Drives {
public:
    QStringList roots() const override { return list; }

    QStringList list;
};

class FakeClipboard final : public platform::Clipboard {
public:
    QString text() const override { return held; }
    void setText(const QString& text) override { held = text; }

    QString held;
};

// One of each double, wired into a Platform.
struct FakePlatform {
    FakePlatform();

    FakeMessageBox messageBox;
    FakeInputBox inputBox;
    FakeShell shell;
    FakeClock clock;
    FakeDrives drives;
    FakeFileDialogs fileDialogs;
    FakeColorDialog colorDialog;
    FakePrinter printer;
    FakeClipboard clipboard;
    TempRegistry registry;
    platform::Platform platform;
};

} // namespace fakes
