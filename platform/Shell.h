#pragma once

#include <QString>

namespace platform {

// The desktop's "open" verb: a web address in the browser, a file in the
// program that handles its type.
class Shell {
public:
    virtual ~Shell() = default;
    virtual bool open(const QString& target) = 0;
};

class QtShell final : public Shell {
public:
    bool open(const QString& target) override;
};

} // namespace platform
