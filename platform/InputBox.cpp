#include "platform/InputBox.h"

#include <QInputDialog>

namespace platform {

QString QtInputBox::ask(QWidget* owner, const QString& prompt, const QString& title, const QString& defaultAnswer)
{
    bool ok = false;
    const QString answer = QInputDialog::getText(owner, title, prompt, QLineEdit::Normal, defaultAnswer, &ok);
    return ok ? answer : QString();
}

} // namespace platform
