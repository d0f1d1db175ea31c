#pragma once

#include <QString>

class QWidget;

namespace platform {

// The modal input box. Cancel answers the empty text, as the classic input
// box did, so callers cannot tell it from an emptied answer.
class InputBox {
public:
    virtual ~InputBox() = default;
    virtual QString ask(QWidget* owner, const QString& prompt, const QString& title,
                        const QString& defaultAnswer) = 0;
};

class QtInputBox final : public InputBox {
public:
    QString ask(QWidget* owner, const QString& prompt, const QString& title, const QString& defaultAnswer) override;
};

} // namespace platform
