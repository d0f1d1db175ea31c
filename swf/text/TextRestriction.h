#pragma once

// A field's `restrict` string read as the reference player reads it:
// characters and ranges ("a-z") that may be typed, "^" switching between
// allowing and refusing what follows, "\" taking the next character as
// itself. A string that starts by refusing allows everything else; the
// last rule that names a character decides. In a string that only
// allows, a character refused in its own case is typed in the other case
// when that one is allowed ("A-Z" takes "a" as "A").

#include <optional>
#include <vector>

#include <QString>

namespace swf {

class TextRestriction {
public:
    // Anything may be typed.
    TextRestriction() = default;
    explicit TextRestriction(const QString& rules);

    // The character as the field takes it, or nothing when it is refused.
    std::optional<char32_t> admit(char32_t c) const;
    // `text` with every refused character left out.
    QString filter(const QString& text) const;

    // Past this many rules the rest of a string is not read: no real
    // movie needs more, and each one costs on every keystroke.
    static constexpr std::size_t kMaxRules = 1024;

private:
    bool allows(char32_t c) const;

    bool m_everything = true;
    bool m_foldsCase = false;
    // Where the answer changes: from each start on, up to the next, the
    // characters are allowed or not.
    struct Stretch {
        char32_t from = 0;
        bool allowed = false;
    };
    std::vector<Stretch> m_stretches;
};

} // namespace swf
