#pragma once

// The desktop clipboard as text fields use it for cut, copy and paste.
// The player's owner gives it the system's; without one the player keeps
// a clipboard of its own, so a headless run copies and pastes the same
// way every time and touches nothing outside.

#include <QString>

namespace swf {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual QString text() const = 0;
    virtual void setText(const QString& text) = 0;
};

class OwnClipboard final : public Clipboard {
public:
    QString text() const override { return m_text; }
    void setText(const QString& text) override { m_text = text; }

private:
    QString m_text;
};

} // namespace swf
