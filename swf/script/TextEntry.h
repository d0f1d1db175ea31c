#pragma once

// The keyboard and the pointer as text fields take them: a press on an
// input or selectable field gives it focus the way Selection.setFocus
// does and places its caret, a drag selects, a double press selects a
// word; keys and committed text edit the focused field. Script then
// hears of it as the reference player tells it: the bound variable
// follows the text, onChanged and onScroller reach the field and its
// listeners.

#include <memory>
#include <optional>

#include <QPointF>
#include <QRectF>
#include <QString>

#include "swf/runtime/Clipboard.h"
#include "swf/script/Host.h"
#include "swf/text/TextRestriction.h"

namespace swf {
class DisplayObject;
class EditTextInstance;
class InputState;
class TextEditing;
} // namespace swf

namespace swf::script {

class Machine;
class StageHost;

class TextEntry {
public:
    TextEntry(Machine& machine, StageHost& host);

    // Null for the player's own; it must outlive this.
    void setClipboard(Clipboard* clipboard) { m_clipboard = clipboard; }

    // After the input state has seen the press: unless a button or a clip
    // took it, a field under the pointer takes focus, and the focus leaves
    // a field pressed outside.
    void pointerPress(InputState& input, bool selectWord);
    void pointerMove(InputState& input);
    void pointerRelease();
    // After Key's listeners have heard the key.
    void keyDown(InputState& input, int code);
    void enterText(const QString& text);

    // The field that has focus, when it takes the caret.
    EditTextInstance* focusedField() const;
    // Whether the focused field answers this key itself.
    bool takesKey(const InputState& input, int code, int ascii) const;
    // The focused field's caret in stage twips, for an input method.
    std::optional<QRectF> caretRect() const;

private:
    template<typename Work>
    void edit(EditTextInstance& field, Work&& work);
    void moveFocus(ClipHandle wanted);
    const TextRestriction& restrictionOf(ClipHandle field);
    void tell(ClipHandle field, const char* message);

    Machine& m_machine;
    StageHost& m_host;
    Clipboard* m_clipboard = nullptr;
    OwnClipboard m_ownClipboard;
    std::weak_ptr<DisplayObject> m_dragging;
    // Where the press put the caret: a move that stays there (the one a
    // release comes with) leaves a word selected by a double press be.
    std::optional<qsizetype> m_pressedAt;
    // The last restrict string read, kept read: it is asked at every key.
    std::optional<QString> m_restrictText;
    TextRestriction m_restriction;
    TextRestriction m_anything;
};

} // namespace swf::script
