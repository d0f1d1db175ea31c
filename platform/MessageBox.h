#pragma once

#include <QString>

class QWidget;

namespace platform {

enum class MsgButtons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgResult { Ok, Cancel, Abort, Retry, Ignore, Yes, No };

// The modal message box. An empty title shows the desktop's default title.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual MsgResult show(QWidget* owner, const QString& text, const QString& title,
                           MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None) = 0;
};

class QtMessageBox final : public MessageBox {
public:
    MsgResult show(QWidget* owner, const QString& text, const QString& title, MsgButtons buttons,
                   MsgIcon icon) override;
};

} // namespace platform
