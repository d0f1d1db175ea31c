#pragma once

// A field's text as script edits it: one string whose paragraphs end at
// each '\r' or '\n' (kept as given: script counts them), runs of
// character formats over it, and one paragraph format per paragraph. Script addresses it by character
// index, so the formats are kept flat rather than as nested paragraphs.

#include <functional>
#include <vector>

#include <QString>

#include "swf/text/FormattedText.h"

namespace swf {

class FieldText {
public:
    FieldText() = default;
    // Paragraphs joined by '\r'.
    explicit FieldText(const std::vector<Paragraph>& paragraphs);
    // Plain text in one format.
    FieldText(const QString& text, const CharFormat& format, const ParagraphFormat& paragraph);

    const QString& text() const { return m_text; }
    qsizetype size() const { return m_text.size(); }
    std::vector<Paragraph> paragraphs() const;

    // Puts `text` in place of [begin, end); the new characters take
    // `format`, new paragraphs `paragraph`.
    void replace(qsizetype begin, qsizetype end, const QString& text, const CharFormat& format, const ParagraphFormat& paragraph);

    // Changes the formats over [begin, end); a paragraph changes when any
    // of its characters is in the range.
    void editCharFormats(qsizetype begin, qsizetype end, const std::function<void(CharFormat&)>& edit);
    void editParagraphFormats(qsizetype begin, qsizetype end, const std::function<void(ParagraphFormat&)>& edit);

    // Each distinct stretch of format over [begin, end), in order.
    void visitCharFormats(qsizetype begin, qsizetype end, const std::function<void(const CharFormat&)>& visit) const;
    void visitParagraphFormats(qsizetype begin, qsizetype end, const std::function<void(const ParagraphFormat&)>& visit) const;

private:
    struct Run {
        qsizetype end = 0; // one past its last character
        CharFormat format;
    };

    std::size_t runAt(qsizetype index) const;
    // Makes a run boundary at `index`.
    void split(qsizetype index);
    void mergeRuns();
    std::size_t paragraphAt(qsizetype index) const;

    QString m_text;
    std::vector<Run> m_runs;                    // covering the text exactly
    std::vector<ParagraphFormat> m_paragraphs { {} }; // one more than the breaks
};

} // namespace swf
