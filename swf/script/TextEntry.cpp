#include "swf/script/TextEntry.h"

#include <array>

#include "swf/runtime/EditTextInstance.h"
#include "swf/runtime/HitTest.h"
#include "swf/runtime/InputState.h"
#include "swf/runtime/TextEditing.h"
#include "swf/script/Machine.h"
#include "swf/script/StageHost.h"
#include "swf/script/TextVariables.h"
#include "swf/text/TextPositions.h"

namespace swf::script {

namespace {

constexpr int kShift = 16;
constexpr int kControl = 17;

EditKey editKey(const InputState& input, int code)
{
    return {code, input.isKeyDown(kShift), input.isKeyDown(kControl)};
}

} // namespace

TextEntry::TextEntry(Machine& machine, StageHost& host)
    : m_machine(machine)
    , m_host(host)
{
}

EditTextInstance* TextEntry::focusedField() const
{
    EditTextInstance* field = m_host.textField(m_host.focus());
    return field && isSelectable(*field) ? field : nullptr;
}

bool TextEntry::takesKey(const InputState& input, int code, int ascii) const
{
    const EditTextInstance* field = focusedField();
    return field && TextEditing::takesKey(*field, editKey(input, code), ascii);
}

// Through Selection.setFocus, so that onKillFocus, onSetFocus and the
// Selection listeners hear of a click as they hear of script.
void TextEntry::moveFocus(ClipHandle wanted)
{
    if (m_host.focus() == wanted)
        return;
    Machine& m = m_machine;
    Object* global = m.global();
    const Value selection = global ? m.get(global, "Selection") : Value();
    if (!selection.isObject())
        return;
    const Value args[] {wanted ? m.clipValue(wanted) : Value::null()};
    m.callMethod(selection, m.intern("setFocus"), args);
}

void TextEntry::pointerPress(InputState& input, bool selectWord)
{
    m_dragging.reset();
    EditTextInstance* field = nullptr;
    if (!input.pressed()) {
        DisplayObject* drawn = input.drawnAt(input.pointer());
        if (drawn && drawn->type() == DisplayObject::Type::EditText && isSelectable(static_cast<EditTextInstance&>(*drawn)))
            field = static_cast<EditTextInstance*>(drawn);
    }
    if (!field) {
        // A press anywhere else takes the keyboard from a field.
        if (m_host.textField(m_host.focus()))
            moveFocus({});
        return;
    }
    const std::shared_ptr<DisplayObject> keep = field->shared_from_this();
    const bool already = m_host.focus() == m_host.handleOf(*field);
    moveFocus(m_host.handleOf(*field));
    // The focus handlers may have sent it elsewhere, or off the stage.
    if (field->isRemoved() || m_host.focus() != m_host.handleOf(*field))
        return;
    const QPointF at = input.pointer();
    edit(*field, [&](TextEditing& editing) {
        if (selectWord)
            editing.selectWordAt(at);
        else
            editing.pressAt(at, already && input.isKeyDown(kShift));
        m_pressedAt = editing.indexAt(at);
        return false;
    });
    m_dragging = field->weak_from_this();
}

void TextEntry::pointerMove(InputState& input)
{
    const std::shared_ptr<DisplayObject> held = m_dragging.lock();
    if (!held || held->isRemoved() || !input.isPointerDown()) {
        m_dragging.reset();
        return;
    }
    auto& field = static_cast<EditTextInstance&>(*held);
    if (&field != focusedField())
        return;
    const QPointF at = input.pointer();
    edit(field, [&](TextEditing& editing) {
        if (editing.indexAt(at) == m_pressedAt)
            return false;
        m_pressedAt.reset();
        editing.dragTo(at);
        return false;
    });
}

void TextEntry::pointerRelease()
{
    m_dragging.reset();
}

void TextEntry::keyDown(InputState& input, int code)
{
    if (EditTextInstance* field = focusedField())
        edit(*field, [&](TextEditing& editing) { return editing.press(editKey(input, code)) == KeyEffect::Edited; });
}

void TextEntry::enterText(const QString& text)
{
    if (EditTextInstance* field = focusedField())
        edit(*field, [&](TextEditing& editing) { return editing.type(text); });
}

// Runs `work` (true when it changed the text) on the field, then tells
// script what came of it.
template<typename Work>
void TextEntry::edit(EditTextInstance& field, Work&& work)
{
    const std::shared_ptr<DisplayObject> keep = field.shared_from_this();
    const ClipHandle handle = m_host.handleOf(field);
    const std::array<int, 3> scrolled {field.scroll(), field.hscroll(), field.maxScroll()};
    TextEditing editing(field, m_clipboard ? *m_clipboard : m_ownClipboard, restrictionOf(handle));
    const bool changed = work(editing);
    if (changed) {
        if (const std::string& path = field.field().variableName; !path.empty())
            writeBoundVariable(m_machine, m_host.parent(handle), path, m_machine.stringValue(field.shownText().toStdString()));
        tell(handle, "onChanged");
    }
    if (!field.isRemoved() && std::array<int, 3> {field.scroll(), field.hscroll(), field.maxScroll()} != scrolled)
        tell(handle, "onScroller");
}

const TextRestriction& TextEntry::restrictionOf(ClipHandle field)
{
    Machine& m = m_machine;
    const Value rules = m.get(m.clipValue(field), m.intern("restrict"));
    if (rules.isNullish())
        return m_anything;
    const QString text = QString::fromStdString(m.toStdString(rules));
    if (m_restrictText != text) {
        m_restrictText = text;
        m_restriction = TextRestriction(text);
    }
    return m_restriction;
}

// The field's own handler, then each of its listeners'.
void TextEntry::tell(ClipHandle field, const char* message)
{
    Machine& m = m_machine;
    const Value self = m.clipValue(field);
    if (!self.isObject())
        return;
    String* name = m.intern(message);
    const Value args[] {self};
    m.callMethod(self, name, args);
    const Value listeners = m.get(self, m.names().listeners);
    if (!listeners.isObject())
        return;
    const Value length = m.get(listeners, m.intern("length"));
    const double count = std::min(m.toNumber(length), 1024.0);
    for (int i = 0; i < count; ++i) {
        const Value listener = m.get(listeners, m.intern(std::to_string(i)));
        if (listener.isObject() && listener.asObject() != self.asObject())
            m.callMethod(listener, name, args);
    }
}

std::optional<QRectF> TextEntry::caretRect() const
{
    const EditTextInstance* field = focusedField();
    if (!field)
        return std::nullopt;
    const std::optional<QRectF> box = caretBox(*field->layout(), field->caretIndex());
    if (!box)
        return std::nullopt;
    return stageMatrix(*field).toTransform().mapRect(*box);
}

} // namespace swf::script
