#include "swf/runtime/TextEditing.h"

#include <algorithm>
#include <cmath>

#include "swf/runtime/Clipboard.h"
#include "swf/runtime/EditTextInstance.h"
#include "swf/runtime/HitTest.h"
#include "swf/text/TextPositions.h"
#include "swf/text/TextRestriction.h"

namespace swf {

namespace {

enum Key {
    kBackspace = 8,
    kEnter = 13,
    kEnd = 35,
    kHome = 36,
    kLeft = 37,
    kUp = 38,
    kRight = 39,
    kDown = 40,
    kInsert = 45,
    kDelete = 46,
    kA = 65,
    kC = 67,
    kV = 86,
    kX = 88,
};

bool isBreak(QChar c) { return c == u'\r' || c == u'\n'; }

// A paste far longer than any field may hold is read no further than
// this, so that filtering it costs nothing like its whole length.
constexpr qsizetype kMaxReadPaste = 4 * kMaxTypedLength;

// Typed or pasted text as a field of this kind holds it: line breaks as
// the reference player stores them ('\r'), none at all in a single-line
// field, no other control characters.
QString cleaned(QStringView text, bool multiline)
{
    QString out;
    out.reserve(std::min(text.size(), kMaxReadPaste));
    for (qsizetype i = 0; i < text.size() && i < kMaxReadPaste; ++i) {
        const QChar c = text[i];
        if (isBreak(c)) {
            if (c == u'\n' && i > 0 && text[i - 1] == u'\r')
                continue;
            if (multiline)
                out += u'\r';
            continue;
        }
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            continue;
        out += c;
    }
    return out;
}

// Letters, digits and '_' make words; runs of anything else group by kind.
int characterClass(QChar c)
{
    if (c.isLetterOrNumber() || c == u'_' || c.isSurrogate())
        return 0;
    return c.isSpace() ? 1 : 2;
}

qsizetype previousCharacter(const QString& text, qsizetype index)
{
    if (index <= 0)
        return 0;
    --index;
    return index > 0 && text[index].isLowSurrogate() && text[index - 1].isHighSurrogate() ? index - 1 : index;
}

qsizetype nextCharacter(const QString& text, qsizetype index)
{
    if (index >= text.size())
        return text.size();
    ++index;
    return index < text.size() && text[index].isLowSurrogate() && text[index - 1].isHighSurrogate() ? index + 1 : index;
}

// Ctrl with the arrows moves a word at a time: to the start of the
// previous word, or past the end of the next one and its spaces.
qsizetype previousWord(const QString& text, qsizetype index)
{
    while (index > 0 && characterClass(text[index - 1]) == 1)
        --index;
    const int kind = index > 0 ? characterClass(text[index - 1]) : 1;
    while (index > 0 && characterClass(text[index - 1]) == kind)
        --index;
    return index;
}

qsizetype nextWord(const QString& text, qsizetype index)
{
    const int kind = index < text.size() ? characterClass(text[index]) : 1;
    while (index < text.size() && characterClass(text[index]) == kind)
        ++index;
    while (index < text.size() && characterClass(text[index]) == 1)
        ++index;
    return index;
}

} // namespace

bool isEditable(const EditTextInstance& field)
{
    return !field.field().readOnly;
}

bool isSelectable(const EditTextInstance& field)
{
    return isEditable(field) || !field.field().noSelect;
}

TextEditing::TextEditing(EditTextInstance& field, Clipboard& clipboard, const TextRestriction& restriction)
    : m_field(field)
    , m_clipboard(clipboard)
    , m_restriction(restriction)
{
}

bool TextEditing::takesKey(const EditTextInstance& field, EditKey key, int ascii)
{
    if (!isSelectable(field))
        return false;
    const bool editable = isEditable(field);
    switch (key.code) {
    case kLeft:
    case kRight:
    case kUp:
    case kDown:
    case kHome:
    case kEnd:
        return true;
    case kBackspace:
    case kDelete:
        return editable;
    case kEnter:
        return editable && field.field().multiline;
    case kA:
    case kC:
    case kInsert:
        if (key.control)
            return true;
        break;
    case kV:
    case kX:
        if (key.control)
            return editable;
        break;
    default:
        break;
    }
    return editable && !key.control && ascii >= 32 && ascii != 127;
}

void TextEditing::replaceSelection(const QString& text)
{
    const qsizetype begin = m_field.selectionBegin();
    m_field.replaceText(begin, m_field.selectionEnd(), text);
    m_field.setSelection(begin + text.size(), begin + text.size());
}

bool TextEditing::type(const QString& typed)
{
    if (!isEditable(m_field))
        return false;
    QString text = m_restriction.filter(cleaned(typed, m_field.field().multiline));
    const qsizetype kept = m_field.text().size() - (m_field.selectionEnd() - m_field.selectionBegin());
    const std::optional<std::uint16_t> maxChars = m_field.field().maxLength;
    const qsizetype most = maxChars && *maxChars > 0 ? std::min<qsizetype>(*maxChars, kMaxTypedLength) : kMaxTypedLength;
    qsizetype room = std::max<qsizetype>(0, most - kept);
    if (room < text.size()) {
        // Never half a character.
        if (room > 0 && text[room - 1].isHighSurrogate())
            --room;
        text.truncate(room);
    }
    if (text.isEmpty())
        return false;
    replaceSelection(text);
    scrollToCaret();
    return true;
}

void TextEditing::moveCaret(qsizetype to, bool extend)
{
    m_field.setSelection(extend ? m_field.anchorIndex() : to, to);
}

bool TextEditing::copySelection()
{
    // A password stays in the field.
    if (m_field.field().password || m_field.selectionBegin() == m_field.selectionEnd())
        return false;
    m_clipboard.setText(m_field.text().mid(m_field.selectionBegin(), m_field.selectionEnd() - m_field.selectionBegin()));
    return true;
}

// Deletes the selection, or [from, to) when nothing is selected.
bool TextEditing::removeSelectionOr(qsizetype from, qsizetype to)
{
    if (m_field.selectionBegin() != m_field.selectionEnd()) {
        replaceSelection({});
        return true;
    }
    if (from >= to)
        return false;
    m_field.replaceText(from, to, {});
    m_field.setSelection(from, from);
    return true;
}

qsizetype TextEditing::lineStart(qsizetype index) const
{
    const auto laid = m_field.layout();
    const std::size_t line = lineNumberOf(*laid, index);
    return line < laid->lineStarts.size() ? laid->lineStarts[line] : 0;
}

qsizetype TextEditing::lineEnd(qsizetype index) const
{
    const auto laid = m_field.layout();
    const QString& text = m_field.text();
    const std::size_t line = lineNumberOf(*laid, index);
    if (line + 1 >= laid->lineStarts.size())
        return text.size();
    // Before the break that ends it, or before the space a wrapped line
    // ends in: past that the caret would show on the next line.
    const qsizetype next = laid->lineStarts[line + 1];
    return next > 0 && (isBreak(text[next - 1]) || text[next - 1] == u' ') ? next - 1 : next;
}

qsizetype TextEditing::verticalMove(int lines)
{
    const qsizetype caret = m_field.caretIndex();
    scrollToCaret();
    auto laid = m_field.layout();
    const std::size_t line = lineNumberOf(*laid, caret);
    const LaidLine* shown = shownLineOf(*laid, caret);
    const long target = long(line) + lines;
    if (!shown || target < 0 || target >= long(laid->lineStarts.size()))
        return caret;
    const double x = caretX(*shown, caret);
    // The line moved to must show before its characters can be measured.
    const int before = m_field.scroll();
    if (target + 1 < before)
        m_field.setScroll(int(target) + 1);
    else if (target + 1 > m_field.bottomScroll())
        m_field.setScroll(before + 1);
    laid = m_field.layout();
    const qsizetype start = laid->lineStarts[std::size_t(target)];
    for (const LaidLine& each : laid->lines)
        if (each.firstChar == start)
            return swf::indexAt(*laid, QPointF(x, each.baseline));
    return start;
}

KeyEffect TextEditing::press(EditKey key)
{
    if (!isSelectable(m_field))
        return KeyEffect::Ignored;
    const QString& text = m_field.text();
    const bool editable = isEditable(m_field);
    const qsizetype caret = m_field.caretIndex();
    const qsizetype begin = m_field.selectionBegin();
    const qsizetype end = m_field.selectionEnd();
    const bool collapsing = !key.shift && begin != end;
    bool edited = false;
    switch (key.code) {
    case kLeft:
        moveCaret(collapsing ? begin : key.control ? previousWord(text, caret) : previousCharacter(text, caret), key.shift);
        break;
    case kRight:
        moveCaret(collapsing ? end : key.control ? nextWord(text, caret) : nextCharacter(text, caret), key.shift);
        break;
    case kHome:
        moveCaret(key.control ? 0 : lineStart(caret), key.shift);
        break;
    case kEnd:
        moveCaret(key.control ? text.size() : lineEnd(caret), key.shift);
        break;
    case kUp:
    case kDown:
        moveCaret(verticalMove(key.code == kUp ? -1 : 1), key.shift);
        break;
    case kBackspace:
        if (!editable)
            return KeyEffect::Ignored;
        edited = removeSelectionOr(previousCharacter(text, caret), caret);
        break;
    case kDelete:
        if (!editable)
            return KeyEffect::Ignored;
        // Shift+Delete cuts, as on every desktop.
        if (key.shift && begin != end) {
            copySelection();
            edited = removeSelectionOr(begin, end);
            break;
        }
        edited = removeSelectionOr(caret, nextCharacter(text, caret));
        break;
    case kEnter:
        if (!editable || !m_field.field().multiline)
            return KeyEffect::Ignored;
        return type(QStringLiteral("\r")) ? KeyEffect::Edited : KeyEffect::Moved;
    case kInsert:
        if (key.control)
            copySelection();
        else if (key.shift && editable)
            return type(m_clipboard.text()) ? KeyEffect::Edited : KeyEffect::Moved;
        else
            return KeyEffect::Ignored;
        break;
    case kA:
    case kC:
    case kV:
    case kX:
        if (!key.control)
            return KeyEffect::Ignored;
        if (key.code == kA)
            m_field.setSelection(0, text.size());
        else if (key.code == kC)
            copySelection();
        else if (key.code == kV && editable)
            return type(m_clipboard.text()) ? KeyEffect::Edited : KeyEffect::Moved;
        else if (key.code == kX && editable && copySelection())
            edited = removeSelectionOr(begin, end);
        break;
    default:
        return KeyEffect::Ignored;
    }
    scrollToCaret();
    return edited ? KeyEffect::Edited : KeyEffect::Moved;
}

qsizetype TextEditing::indexAt(QPointF stagePoint) const
{
    const std::optional<QPointF> local = toLocal(m_field, stagePoint);
    if (!local)
        return m_field.caretIndex();
    return swf::indexAt(*m_field.layout(), *local);
}

void TextEditing::pressAt(QPointF stagePoint, bool extend)
{
    moveCaret(indexAt(stagePoint), extend);
}

void TextEditing::dragTo(QPointF stagePoint)
{
    moveCaret(indexAt(stagePoint), true);
    scrollToCaret();
}

void TextEditing::selectWordAt(QPointF stagePoint)
{
    const QString& text = m_field.text();
    // A password's words are not to be told apart.
    if (m_field.field().password) {
        m_field.setSelection(0, text.size());
        return;
    }
    const qsizetype at = indexAt(stagePoint);
    const qsizetype probe = at < text.size() ? at : at - 1;
    if (probe < 0 || isBreak(text[probe])) {
        moveCaret(at, false);
        return;
    }
    const int kind = characterClass(text[probe]);
    qsizetype begin = probe;
    qsizetype end = probe + 1;
    while (begin > 0 && !isBreak(text[begin - 1]) && characterClass(text[begin - 1]) == kind)
        --begin;
    while (end < text.size() && !isBreak(text[end]) && characterClass(text[end]) == kind)
        ++end;
    m_field.setSelection(begin, end);
}

void TextEditing::scrollToCaret()
{
    const qsizetype caret = m_field.caretIndex();
    auto laid = m_field.layout();
    const std::vector<double>& bottoms = laid->lineBottoms;
    const std::size_t line = lineNumberOf(*laid, caret);
    if (line >= bottoms.size())
        return;
    if (int(line) + 1 < m_field.scroll()) {
        m_field.setScroll(int(line) + 1);
    } else if (int(line) + 1 > m_field.bottomScroll()) {
        // The first line from which the caret's fits.
        const double room = laid->bounds.height() - 2 * kTextGutter;
        std::size_t first = std::size_t(m_field.scroll() - 1);
        while (first < line && bottoms[line] - (first == 0 ? 0 : bottoms[first - 1]) > room)
            ++first;
        m_field.setScroll(int(first) + 1);
    }
    if (m_field.field().wordWrap)
        return;
    laid = m_field.layout();
    const LaidLine* shown = shownLineOf(*laid, caret);
    if (!shown)
        return;
    const double x = caretX(*shown, caret);
    const double left = laid->bounds.xMin + kTextGutter;
    const double right = laid->bounds.xMax - kTextGutter;
    if (x < left)
        m_field.setHscroll(m_field.hscroll() - int(std::ceil((left - x) / 20)));
    else if (x > right)
        m_field.setHscroll(m_field.hscroll() + int(std::ceil((x - right) / 20)));
}

} // namespace swf
