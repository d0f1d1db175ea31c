#pragma once

// A field's text as script edits it: one string whose paragraphs end at
// each '\r' or '\n' (kept as given: script counts them), with each
// character's own character and paragraph formats. Script addresses it by
// character index and reads paragraph settings back character by
// character, so the formats are kept flat, as runs over the string; a
// paragraph shows as its first character says.

#include <functional>
#include <vector>

#include <QString>

#include "swf/text/FormattedText.h"

namespace swf {

class FieldText {
public:
    // How the line breaks of inserted text go in: as they are, or as
    // replaceText takes them (LF as a CR that script's text shows, CR as a
    // silent break).
    enum class Breaks { AsGiven, AsReplaced };

    FieldText() = default;
    // Paragraphs joined by '\r'.
    explicit FieldText(const std::vector<Paragraph>& paragraphs);
    // Plain text in one format.
    FieldText(const QString& text, const CharFormat& format, const ParagraphFormat& paragraph);

    // Every character, silent breaks too: what indexes and length count.
    const QString& text() const { return m_text; }
    qsizetype size() const { return m_text.size(); }
    // The text as script reads it, without the silent breaks.
    QString shownText() const;
    std::vector<Paragraph> paragraphs() const;

    // Puts `text` in place of [begin, end); the new characters take
    // `format` and `paragraph`.
    void replace(qsizetype begin, qsizetype end, const QString& text, const CharFormat& format, const ParagraphFormat& paragraph,
                 Breaks breaks = Breaks::AsGiven);

    // Changes the formats of the characters in [begin, end).
    void editCharFormats(qsizetype begin, qsizetype end, const std::function<void(CharFormat&)>& edit);
    void editParagraphFormats(qsizetype begin, qsizetype end, const std::function<void(ParagraphFormat&)>& edit);

    // Each distinct stretch of format over [begin, end), in order; an empty
    // range reports the character at it.
    void visitCharFormats(qsizetype begin, qsizetype end, const std::function<void(const CharFormat&)>& visit) const;
    void visitParagraphFormats(qsizetype begin, qsizetype end, const std::function<void(const ParagraphFormat&)>& visit) const;

private:
    struct Run {
        qsizetype end = 0; // one past its last character
        CharFormat format;
        ParagraphFormat paragraph;
        bool silent = false; // a run of silent breaks

        bool sameFormats(const Run& other) const
        {
            return format == other.format && paragraph == other.paragraph && silent == other.silent;
        }
    };

    std::size_t runAt(qsizetype index) const;
    // Makes a run boundary at `index`.
    void split(qsizetype index);
    void mergeRuns();
    void appendRun(qsizetype end, const CharFormat& format, const ParagraphFormat& paragraph, bool silent = false);
    template<typename Edit>
    void editRuns(qsizetype begin, qsizetype end, const Edit& edit);
    template<typename Visit>
    void visitRuns(qsizetype begin, qsizetype end, const Visit& visit) const;

    QString m_text;
    std::vector<Run> m_runs; // covering the text exactly
    ParagraphFormat m_emptyParagraph; // what a field with no text shows
};

} // namespace swf
