#pragma once

#include <QString>

namespace platform {

// The desktop clipboard's text, for cut, copy and paste in movies' text
// fields.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual QString text() const = 0;
    virtual void setText(const QString& text) = 0;
};

class QtClipboard final : public Clipboard {
public:
    QString text() const override;
    void setText(const QString& text) override;
};

} // namespace platform
