#pragma once

// What the keyboard and the pointer do to a focused text field: typing
// and pasting within its rules (one line or many, maxChars, restrict),
// the caret moved by keys, the selection made by keys and by the pointer,
// cut and copy, and the field scrolled to keep the caret in view. Script
// hears of the changes from the layer above.

#include <QPointF>
#include <QString>

namespace swf {

class Clipboard;
class EditTextInstance;
class TextRestriction;

// However long maxChars allows, typing and pasting stop here: every
// keystroke lays the field out again, and a field this long already
// takes a while to.
inline constexpr qsizetype kMaxTypedLength = 1 << 16;

// Input fields take typing; those and selectable ones take the caret.
bool isEditable(const EditTextInstance& field);
bool isSelectable(const EditTextInstance& field);

struct EditKey {
    int code = 0; // the movie's key code
    bool shift = false;
    bool control = false;
};

enum class KeyEffect {
    Ignored, // not a key the field answers
    Moved,   // the caret or the selection moved, or text was copied
    Edited,  // the text changed
};

class TextEditing {
public:
    TextEditing(EditTextInstance& field, Clipboard& clipboard, const TextRestriction& restriction);

    // Whether the field answers the key itself, so that it is not also
    // taken as a button's key press.
    static bool takesKey(const EditTextInstance& field, EditKey key, int ascii);

    // Committed text in place of the selection, as far as the field's
    // rules let it in; false when nothing changed.
    bool type(const QString& text);
    KeyEffect press(EditKey key);

    // The pointer, at a stage point: a press puts the caret there (or
    // extends the selection to there), a drag extends it, a double press
    // selects the word there.
    void pressAt(QPointF stagePoint, bool extend);
    void dragTo(QPointF stagePoint);
    void selectWordAt(QPointF stagePoint);

    // Scrolls the field so that the caret shows.
    void scrollToCaret();
    // The caret place nearest a stage point.
    qsizetype indexAt(QPointF stagePoint) const;

private:
    void moveCaret(qsizetype to, bool extend);
    void replaceSelection(const QString& text);
    qsizetype lineStart(qsizetype index) const;
    qsizetype lineEnd(qsizetype index) const;
    qsizetype verticalMove(int lines);
    bool copySelection();
    bool removeSelectionOr(qsizetype from, qsizetype to);

    EditTextInstance& m_field;
    Clipboard& m_clipboard;
    const TextRestriction& m_restriction;
};

} // namespace swf
