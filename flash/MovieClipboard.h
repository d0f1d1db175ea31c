#pragma once

// The movie's text fields cut, copy and paste through the desktop's
// clipboard, as the control's platform gives it; with none given, through
// one the control keeps to itself.

#include <functional>

#include "platform/Clipboard.h"
#include "swf/runtime/Clipboard.h"

namespace flash {

class MovieClipboard final : public swf::Clipboard {
public:
    // Asked at each use: the control's platform may be set after it starts.
    explicit MovieClipboard(std::function<platform::Clipboard*()> desktop);

    QString text() const override;
    void setText(const QString& text) override;

private:
    std::function<platform::Clipboard*()> m_desktop;
    swf::OwnClipboard m_own;
};

} // namespace flash
