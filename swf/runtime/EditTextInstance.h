#pragma once

// A text field on stage: it starts with its definition's text and settings
// and keeps its own from then on, as script changes them. Its layout is
// worked out when something that shows changes, not at every paint.

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <string>

#include <QString>

#include "swf/define/Definitions.h"
#include "swf/runtime/DisplayObject.h"
#include "swf/text/FieldText.h"
#include "swf/text/HtmlText.h"
#include "swf/text/TextLayout.h"

namespace swf {

class EditTextInstance final : public DisplayObject {
public:
    EditTextInstance(Stage& stage, std::uint16_t id, std::shared_ptr<const EditTextDefinition> definition,
                     std::shared_ptr<const Font> font);

    // The field's settings as they stand now.
    const EditText& field() const { return m_field; }
    // Changes settings; the field is laid out again when it next shows.
    void editField(const std::function<void(EditText&)>& edit);

    // What the field holds, paragraphs ending at line breaks, silent ones
    // too; shownText() is what script reads.
    const QString& text() const { return m_content.text(); }
    QString shownText() const { return m_content.shownText(); }
    const FieldText& content() const { return m_content; }
    bool isHtml() const { return m_html; }
    void setHtml(bool html);
    // Plain text in the new text format, or HTML read over that format
    // (as plain text when the field is not an HTML one).
    void setText(const QString& text);
    void setHtmlText(const QString& html, const HtmlStyles& styles = {});
    // The text as HTML, the way the reference player writes it back.
    QString htmlText() const;
    void replaceText(qsizetype begin, qsizetype end, const QString& text, FieldText::Breaks breaks = FieldText::Breaks::AsGiven);
    void editContent(const std::function<void(FieldText&)>& edit);
    // Shows a bound variable's value (as HTML in an HTML field) in place
    // of the field's own text, which the field keeps: a later binding to a
    // variable not set yet takes that, as the reference player gives it.
    void showVariable(const QString& value);
    const QString& ownText() const { return m_ownText ? *m_ownText : text(); }

    // The format text set from now on takes.
    const CharFormat& newCharFormat() const { return m_newChar; }
    const ParagraphFormat& newParagraphFormat() const { return m_newParagraph; }
    void setNewFormat(const CharFormat& format, const ParagraphFormat& paragraph);
    // The name of the font the field was defined with, "" for none.
    const std::string& fontName() const;

    // A border and a background are separate once script sets them; the
    // file's one flag turns on both.
    bool hasBorder() const { return m_border; }
    bool hasBackground() const { return m_background; }
    Color borderColor() const { return m_borderColor; }
    Color backgroundColor() const { return m_backgroundColor; }
    void setBorder(bool on, Color color);
    void setBackground(bool on, Color color);

    bool condenseWhite() const { return m_condenseWhite; }
    void setCondenseWhite(bool condense) { m_condenseWhite = condense; }

    // The selected characters [begin, end); with none chosen yet, an empty
    // one at the end of the text. The caret is the end that moves, the
    // anchor the one that stays when Shift extends the selection.
    qsizetype selectionBegin() const { return std::min(anchorIndex(), caretIndex()); }
    qsizetype selectionEnd() const { return std::max(anchorIndex(), caretIndex()); }
    qsizetype anchorIndex() const { return m_selection ? std::min(m_selection->first, text().size()) : text().size(); }
    qsizetype caretIndex() const { return m_selection ? std::min(m_selection->second, text().size()) : text().size(); }
    void setSelection(qsizetype anchor, qsizetype caret);

    // A focused field shows its caret and selection.
    bool isFocused() const { return m_focused; }
    void setFocused(bool focused);

    // Lines scrolled off the top, counted from 1; pixels scrolled sideways.
    int scroll() const
    {
        layout();
        return m_scroll;
    }
    int hscroll() const { return m_hscroll; }
    void setScroll(int line);
    void setHscroll(int pixels);
    int maxScroll() const;
    int bottomScroll() const;
    int maxHscroll() const;

    // The field's current text laid out, shared with whoever draws it.
    std::shared_ptr<const TextLayout> layout() const;
    // The bounds of that layout if something asked for it since the last
    // change; a field that sizes itself takes its size only then.
    std::optional<Rect> laidOutBounds() const { return m_layout ? std::optional(m_layout->bounds) : std::nullopt; }

private:
    void contentChanged();
    bool tagsBreakLines() const;
    static int maxScrollOf(const TextLayout& laid);

    std::shared_ptr<const EditTextDefinition> m_definition;
    std::shared_ptr<const Font> m_font;
    EditText m_field;
    FieldText m_content;
    CharFormat m_newChar;
    ParagraphFormat m_newParagraph;
    bool m_html = false;
    bool m_border = false;
    bool m_background = false;
    Color m_borderColor {0, 0, 0, 255};
    Color m_backgroundColor {255, 255, 255, 255};
    bool m_condenseWhite = false;
    bool m_focused = false;
    std::optional<std::pair<qsizetype, qsizetype>> m_selection;
    std::optional<QString> m_ownText; // while a variable's value shows
    mutable int m_scroll = 1; // held to what the current text allows when laid out
    int m_hscroll = 0;
    mutable std::shared_ptr<const TextLayout> m_layout;
};

} // namespace swf
