#include "support/FakePlatform.h"

#include <QDir>

namespace fakes {

platform::MsgResult FakeMessageBox::show(QWidget*, const QString& text, const QString& title,
                                         platform::MsgButtons buttons, platform::MsgIcon icon)
{
    shown.push_back({text, title, buttons, icon});
    if (answers.empty())
        return platform::MsgResult::Ok;
    const platform::MsgResult answer = answers.front();
    answers.pop_front();
    return answer;
}

QString FakeInputBox::ask(QWidget*, const QString& prompt, const QString& title, const QString& defaultAnswer)
{
    asked.push_back({prompt, title, defaultAnswer});
    if (answers.empty())
        return defaultAnswer;
    QString answer = answers.front();
    answers.pop_front();
    return answer;
}

bool FakeShell::open(const QString& target)
{
    opened << target;
    return succeeds;
}

FakePlatform::FakePlatform()
{
    drives.list = {QDir::toNativeSeparators(QDir::rootPath())};
    platform.messageBox = &messageBox;
    platform.inputBox = &inputBox;
    platform.shell = &shell;
    platform.clock = &clock;
    platform.drives = &drives;
    platform.fileDialogs = &fileDialogs;
    platform.colorDialog = &colorDialog;
    platform.printer = &printer;
    platform.clipboard = &clipboard;
    platform.store = &registry.store;
}

} // namespace fakes
