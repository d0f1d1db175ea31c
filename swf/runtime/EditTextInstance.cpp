#include "swf/runtime/EditTextInstance.h"

#include <algorithm>
#include <cmath>

#include "swf/runtime/Stage.h"
#include "swf/text/HtmlText.h"
#include "swf/text/HtmlTextWriter.h"

namespace swf {

namespace {

// Runs of white space as one space, as condenseWhite reads HTML.
QString condensed(const QString& html)
{
    QString out;
    out.reserve(html.size());
    for (const QChar c : html) {
        const bool space = c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
        if (!space)
            out += c;
        else if (!out.isEmpty() && out.back() != u' ')
            out += u' ';
    }
    return out;
}

} // namespace

EditTextInstance::EditTextInstance(Stage& stage, std::uint16_t id, std::shared_ptr<const EditTextDefinition> definition,
                                   std::shared_ptr<const Font> font)
    : DisplayObject(Type::EditText, stage, id, definition)
    , m_definition(std::move(definition))
    , m_font(std::move(font))
    , m_field(m_definition->field)
    , m_newChar(baseCharFormat(m_field))
    , m_newParagraph(baseParagraphFormat(m_field))
    , m_html(m_field.html)
    , m_border(m_field.border)
    , m_background(m_field.border)
{
    const QString initial = m_field.initialText ? decodeMovieText(*m_field.initialText) : QString();
    m_content = FieldText(m_html ? parseHtmlText(initial, m_newChar, m_newParagraph, {}, tagsBreakLines())
                                 : plainParagraphs(initial, m_newChar, m_newParagraph));
}

void EditTextInstance::editField(const std::function<void(EditText&)>& edit)
{
    edit(m_field);
    contentChanged();
}

void EditTextInstance::setHtml(bool html)
{
    m_html = html;
}

void EditTextInstance::setText(const QString& text)
{
    m_content = FieldText(text, m_newChar, m_newParagraph);
    m_ownText.reset();
    contentChanged();
}

void EditTextInstance::setHtmlText(const QString& html, const HtmlStyles& styles)
{
    if (!m_html) {
        setText(html);
        return;
    }
    m_content = FieldText(parseHtmlText(m_condenseWhite ? condensed(html) : html, m_newChar, m_newParagraph, styles, tagsBreakLines()));
    m_ownText.reset();
    contentChanged();
}

QString EditTextInstance::htmlText() const
{
    if (!m_html)
        return m_content.text();
    return writeHtmlText(m_content.paragraphs(), QString::fromStdString(fontName()));
}

void EditTextInstance::replaceText(qsizetype begin, qsizetype end, const QString& text, FieldText::Breaks breaks)
{
    // The new text takes the formats of what it replaces, as typing does.
    CharFormat format = m_newChar;
    ParagraphFormat paragraph = m_newParagraph;
    m_content.visitCharFormats(begin, begin, [&](const CharFormat& f) { format = f; });
    m_content.visitParagraphFormats(begin, begin, [&](const ParagraphFormat& f) { paragraph = f; });
    m_content.replace(begin, end, text, format, paragraph, breaks);
    m_ownText.reset();
    contentChanged();
}

void EditTextInstance::editContent(const std::function<void(FieldText&)>& edit)
{
    edit(m_content);
    contentChanged();
}

void EditTextInstance::showVariable(const QString& value)
{
    std::optional<QString> own = m_ownText ? std::move(m_ownText) : std::optional(text());
    setHtmlText(value);
    m_ownText = std::move(own);
}

void EditTextInstance::setNewFormat(const CharFormat& format, const ParagraphFormat& paragraph)
{
    m_newChar = format;
    m_newParagraph = paragraph;
}

const std::string& EditTextInstance::fontName() const
{
    static const std::string kNone;
    return m_font ? m_font->name : kNone;
}

void EditTextInstance::setBorder(bool on, Color color)
{
    if (on == m_border && color == m_borderColor)
        return;
    m_border = on;
    m_borderColor = color;
    contentChanged();
}

void EditTextInstance::setBackground(bool on, Color color)
{
    if (on == m_background && color == m_backgroundColor)
        return;
    m_background = on;
    m_backgroundColor = color;
    contentChanged();
}

void EditTextInstance::setSelection(qsizetype anchor, qsizetype caret)
{
    const qsizetype size = text().size();
    const auto wanted = std::pair(std::clamp<qsizetype>(anchor, 0, size), std::clamp<qsizetype>(caret, 0, size));
    if (m_selection == wanted)
        return;
    m_selection = wanted;
    // Only a focused field draws its selection.
    if (m_focused)
        contentChanged();
}

void EditTextInstance::setFocused(bool focused)
{
    if (focused == m_focused)
        return;
    m_focused = focused;
    contentChanged();
}

void EditTextInstance::setScroll(int line)
{
    const int clamped = std::clamp(line, 1, maxScroll());
    if (clamped == m_scroll)
        return;
    m_scroll = clamped;
    contentChanged();
}

void EditTextInstance::setHscroll(int pixels)
{
    const int clamped = std::clamp(pixels, 0, maxHscroll());
    if (clamped == m_hscroll)
        return;
    m_hscroll = clamped;
    contentChanged();
}

int EditTextInstance::maxScroll() const
{
    return maxScrollOf(*layout());
}

int EditTextInstance::maxScrollOf(const TextLayout& laid)
{
    const std::vector<double>& bottoms = laid.lineBottoms;
    const double room = laid.bounds.height() - 2 * kTextGutter;
    if (bottoms.empty())
        return 1;
    // The first line from which the rest all fit.
    const double end = bottoms.back();
    for (std::size_t first = 0; first < bottoms.size(); ++first) {
        const double top = first == 0 ? 0 : bottoms[first - 1];
        if (end - top <= room)
            return int(first) + 1;
    }
    return int(bottoms.size());
}

int EditTextInstance::bottomScroll() const
{
    const auto laid = layout();
    const std::vector<double>& bottoms = laid->lineBottoms;
    const double room = laid->bounds.height() - 2 * kTextGutter;
    const std::size_t first = std::size_t(m_scroll - 1);
    if (first >= bottoms.size())
        return m_scroll;
    const double top = first == 0 ? 0 : bottoms[first - 1];
    std::size_t last = first;
    while (last + 1 < bottoms.size() && bottoms[last + 1] - top <= room)
        ++last;
    return int(last) + 1;
}

int EditTextInstance::maxHscroll() const
{
    const auto laid = layout();
    if (m_field.wordWrap)
        return 0;
    const double room = laid->bounds.width() - 2 * kTextGutter;
    return std::max(0, int(std::ceil((laid->textWidth - room) / 20)));
}

bool EditTextInstance::tagsBreakLines() const
{
    // From version 7 a field that is not multiline runs p, li and br
    // together; before, they broke lines in any field.
    return m_field.multiline || stage().swfVersion() < 7;
}

void EditTextInstance::contentChanged()
{
    m_layout.reset();
    changed();
}

std::shared_ptr<const TextLayout> EditTextInstance::layout() const
{
    if (m_layout)
        return m_layout;
    std::vector<Paragraph> paragraphs = m_content.paragraphs();
    if (m_field.password)
        for (Paragraph& p : paragraphs)
            for (auto& span : p.spans)
                span.text.fill(u'*');
    auto laid = std::make_shared<TextLayout>(layoutText(m_field, paragraphs, m_font.get(), m_scroll - 1, m_hscroll * 20.0));
    // Text that got shorter, or a field that grew, takes back the lines
    // scrolled past.
    if (const int most = maxScrollOf(*laid); m_scroll > most) {
        m_scroll = most;
        laid = std::make_shared<TextLayout>(layoutText(m_field, paragraphs, m_font.get(), m_scroll - 1, m_hscroll * 20.0));
    }
    laid->font = m_font;
    laid->border = m_border ? std::optional<Color>(m_borderColor) : std::nullopt;
    laid->background = m_background ? std::optional<Color>(m_backgroundColor) : std::nullopt;
    if (m_focused && (!m_field.readOnly || !m_field.noSelect))
        laid->highlight = TextLayout::Highlight {selectionBegin(), selectionEnd(), caretIndex(), !m_field.readOnly};
    m_layout = std::move(laid);
    return m_layout;
}

} // namespace swf
