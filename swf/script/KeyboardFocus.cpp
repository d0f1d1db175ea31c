#include "swf/script/KeyboardFocus.h"

#include <cmath>

#include "swf/runtime/EditTextInstance.h"
#include "swf/runtime/InputState.h"
#include "swf/runtime/SpriteInstance.h"
#include "swf/runtime/Stage.h"
#include "swf/script/Machine.h"
#include "swf/script/StageHost.h"

namespace swf::script {

namespace {

constexpr int kTabKey = 9;
constexpr int kEnterKey = 13;
constexpr int kShiftKey = 16;
constexpr int kSpaceKey = 32;
// Deeper than any movie nests clips that take focus; a bound on the walk.
constexpr int kMaxNesting = 64;

Value valueOfFocus(Machine& m, ClipHandle focus)
{
    return focus ? m.clipValue(focus) : Value::null();
}

// A flag script may set on an object: true, false or not said.
std::optional<bool> scriptFlag(Machine& m, const Value& self, const char* name)
{
    Object* object = self.objectOrNull();
    if (!object)
        return std::nullopt;
    const Value value = m.get(object, name);
    if (value.isUndefined())
        return std::nullopt;
    return m.toBoolean(value);
}

} // namespace

void moveFocus(Machine& m, ClipHandle wanted)
{
    Host& host = m.host();
    const ClipHandle old = host.focus();
    if (old == wanted)
        return;
    const Value oldValue = valueOfFocus(m, old);
    const Value newValue = valueOfFocus(m, wanted);
    // The object losing focus still has it while it hears so.
    if (old) {
        const Value args[] {newValue};
        m.callMethod(oldValue, m.intern("onKillFocus"), args);
    }
    host.setFocus(wanted);
    if (wanted) {
        const Value args[] {oldValue};
        m.callMethod(newValue, m.intern("onSetFocus"), args);
    }
    if (Object* selection = m.global() ? m.get(m.global(), "Selection").objectOrNull() : nullptr) {
        const Value args[] {m.stringValue("onSetFocus"), oldValue, newValue};
        m.callMethod(Value::object(selection), m.intern("broadcastMessage"), args);
    }
}

KeyboardFocus::KeyboardFocus(Machine& machine, StageHost& host, InputListener& interactions)
    : m_machine(machine)
    , m_host(host)
    , m_interactions(interactions)
{
}

bool KeyboardFocus::takesFocus(DisplayObject& object, const Value& self)
{
    const std::optional<bool> tabEnabled = scriptFlag(m_machine, self, "tabEnabled");
    if (tabEnabled == false)
        return false;
    switch (object.type()) {
    case DisplayObject::Type::Button:
        return m_interactions.interaction(object).enabled;
    case DisplayObject::Type::Sprite: {
        if (tabEnabled == true)
            return true;
        const InputListener::Interaction interaction = m_interactions.interaction(object);
        return interaction.interactive && interaction.enabled;
    }
    case DisplayObject::Type::EditText:
        return !static_cast<const EditTextInstance&>(object).field().readOnly;
    default:
        return false;
    }
}

void KeyboardFocus::collect(const Container& container, std::vector<FocusCandidate>& into, int nesting)
{
    if (nesting > kMaxNesting)
        return;
    // Copied: reading a property may run a getter that changes the tree.
    const std::vector<std::shared_ptr<DisplayObject>> children = container.children();
    for (const auto& child : children) {
        if (child->isRemoved() || !child->isVisible() || child->clipDepth())
            continue;
        const DisplayObject::Type type = child->type();
        if (type != DisplayObject::Type::Button && type != DisplayObject::Type::Sprite && type != DisplayObject::Type::EditText)
            continue;
        const Value self = m_machine.clipValue(m_host.handleOf(*child));
        if (takesFocus(*child, self)) {
            FocusCandidate candidate {child.get(), std::nullopt};
            m_held.push_back(child);
            if (Object* object = self.objectOrNull()) {
                const Value index = m_machine.get(object, "tabIndex");
                if (index.isNumber() && std::isfinite(index.asNumber()))
                    candidate.tabIndex = index.asNumber();
            }
            into.push_back(candidate);
        }
        if (type == DisplayObject::Type::Sprite && scriptFlag(m_machine, self, "tabChildren") != false)
            collect(static_cast<const Container&>(*child), into, nesting + 1);
    }
}

std::vector<FocusCandidate> KeyboardFocus::candidates()
{
    m_held.clear();
    std::vector<FocusCandidate> found;
    if (const SpriteInstance* root = m_host.sprite(m_host.root(0)))
        collect(*root, found, 0);
    return found;
}

void KeyboardFocus::tab(bool backward)
{
    const std::vector<FocusCandidate> found = candidates();
    // Script run while looking may have taken objects away; m_held keeps
    // them in memory until this is done with them.
    std::vector<FocusCandidate> living;
    for (const FocusCandidate& candidate : found)
        if (!candidate.object->isRemoved())
            living.push_back(candidate);
    const std::vector<DisplayObject*> order = focusOrder(living);
    const DisplayObject* current = m_host.object(m_host.focus());
    DisplayObject* next = nextInFocusOrder(order, current, backward);
    if (!next)
        return;
    const ClipHandle wanted = m_host.handleOf(*next);
    moveFocus(m_machine, wanted);
    // Tab shows the rectangle again after a click took it away, even when
    // the focus stays where it was.
    if (m_host.focus() == wanted)
        m_host.setFocus(wanted);
}

void KeyboardFocus::press()
{
    DisplayObject* focused = m_host.object(m_host.focus());
    if (!focused || (focused->type() != DisplayObject::Type::Button && focused->type() != DisplayObject::Type::Sprite))
        return;
    m_host.stage().input().pressByKey(*focused);
}

bool KeyboardFocus::keyDown(int code)
{
    switch (code) {
    case kTabKey:
        tab(m_host.keyIsDown(kShiftKey));
        return true;
    case kEnterKey:
    case kSpaceKey: {
        const DisplayObject* focused = m_host.object(m_host.focus());
        if (!focused || focused->type() == DisplayObject::Type::EditText)
            return false;
        press();
        return true;
    }
    default:
        return false;
    }
}

} // namespace swf::script
