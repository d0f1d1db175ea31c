#include "swf/script/InputScripts.h"

#include <array>
#include <string>
#include <vector>

#include "swf/define/Definitions.h"
#include "swf/runtime/ButtonInstance.h"
#include "swf/runtime/SpriteInstance.h"
#include "swf/runtime/Stage.h"
#include "swf/script/ClipObject.h"
#include "swf/script/FrameScripts.h"
#include "swf/script/Heap.h"
#include "swf/script/Machine.h"
#include "swf/script/PropertyMap.h"
#include "swf/script/StageHost.h"
#include "swf/script/TextEntry.h"

namespace swf::script {

namespace {

struct TransitionNames {
    PointerTransition transition;
    std::uint32_t clipEvent;
    const char* method;
};

constexpr std::array<TransitionNames, 9> kTransitions {{
    {PointerTransition::RollOver, kClipEventRollOver, "onRollOver"},
    {PointerTransition::RollOut, kClipEventRollOut, "onRollOut"},
    {PointerTransition::Press, kClipEventPress, "onPress"},
    {PointerTransition::Release, kClipEventRelease, "onRelease"},
    {PointerTransition::DragOut, kClipEventDragOut, "onDragOut"},
    {PointerTransition::DragOver, kClipEventDragOver, "onDragOver"},
    {PointerTransition::ReleaseOutside, kClipEventReleaseOutside, "onReleaseOutside"},
    {PointerTransition::MenuDragOver, kClipEventDragOver, "onDragOver"},
    {PointerTransition::MenuDragOut, kClipEventDragOut, "onDragOut"},
}};

constexpr std::uint32_t kButtonClipEvents = kClipEventPress | kClipEventRelease | kClipEventReleaseOutside | kClipEventRollOver |
    kClipEventRollOut | kClipEventDragOver | kClipEventDragOut;

// A property as it is stored, along the prototype chain, without running
// a getter or __resolve: the pointer asks this of every clip it passes
// over, and must not set script going (or let it change the tree) while
// it looks. A getter counts as nothing.
Value storedProperty(Machine& machine, Object* object, String* key)
{
    constexpr int kMaxChain = 64;
    for (int depth = 0; object && depth < kMaxChain; ++depth, object = object->prototype()) {
        const Property* property = object->properties().find(key, machine.caseSensitive());
        if (property && visibleTo(property->flags, machine.version()))
            return property->isAccessor() ? Value() : property->value;
    }
    return Value();
}

} // namespace

InputScripts::InputScripts(Machine& machine, StageHost& host, FrameScripts& frameScripts)
    : m_machine(machine)
    , m_host(host)
    , m_frameScripts(frameScripts)
    , m_focus(machine, host, *this)
{
}

bool InputScripts::stopped() const
{
    return m_host.quitRequested();
}

InputListener::Interaction InputScripts::interaction(const DisplayObject& object)
{
    Interaction answer;
    const bool button = object.type() == DisplayObject::Type::Button;
    if (!button && object.type() != DisplayObject::Type::Sprite)
        return answer;
    auto& clip = const_cast<DisplayObject&>(object);
    ClipObject* self = m_machine.clipObject(m_host.handleOf(clip));
    if (!self)
        return answer;
    const auto own = [&](const char* name) { return storedProperty(m_machine, self, m_machine.intern(name)); };
    answer.interactive = button || m_frameScripts.handles(object, kButtonClipEvents);
    for (const TransitionNames& names : kTransitions) {
        if (answer.interactive)
            break;
        const Value method = own(names.method);
        answer.interactive = method.isObject() && method.asObject()->isFunction();
    }
    if (!answer.interactive)
        return answer;
    // Read as stored: converting an object would run its valueOf.
    const auto flag = [&](const char* name, bool otherwise) {
        const Value value = own(name);
        if (value.isUndefined())
            return otherwise;
        return value.isObject() ? true : m_machine.toBoolean(value);
    };
    answer.enabled = flag("enabled", true);
    answer.handCursor = flag("useHandCursor", true);
    answer.trackAsMenu = flag("trackAsMenu", false);
    if (Object* area = button ? nullptr : own("hitArea").objectOrNull())
        if (ClipObject* areaClip = m_machine.resolveClip(area))
            answer.hitArea = m_host.object(areaClip->handle());
    return answer;
}

void InputScripts::runButtonActions(ButtonInstance& button, std::uint16_t condition, int key)
{
    // Actions run in the timeline the button sits on.
    DisplayObject* timeline = button.parent();
    if (!timeline)
        return;
    const ClipHandle handle = m_host.handleOf(*timeline);
    // The caller holds the button, and so its definition, while this runs.
    for (const ButtonDefinition::Actions& actions : button.definition().actions) {
        if (stopped())
            return;
        bool answers = false;
        if (!actions.conditions)
            answers = condition == std::uint16_t(PointerTransition::Release);
        else if (key)
            answers = (*actions.conditions >> 9) == key;
        else
            answers = *actions.conditions & condition;
        if (answers)
            m_machine.runActions(m_host.tagBody(button, actions.actions), handle, m_host.versionOf(button));
    }
}

void InputScripts::pointerTransition(DisplayObject& target, PointerTransition transition)
{
    if (stopped())
        return;
    const bool button = target.type() == DisplayObject::Type::Button;
    if (button)
        runButtonActions(static_cast<ButtonInstance&>(target), std::uint16_t(transition), 0);
    for (const TransitionNames& names : kTransitions) {
        if (names.transition != transition || target.isRemoved() || stopped())
            continue;
        // A button's own actions stand where a clip's handlers do.
        if (!button)
            m_frameScripts.clipEvent(target, names.clipEvent);
        if (!target.isRemoved() && !stopped())
            m_machine.callClipMethod(m_host.handleOf(target), names.method);
    }
}

void InputScripts::everyClip(std::uint32_t event, const char* method)
{
    SpriteInstance* root = m_host.sprite(m_host.root(0));
    if (!root)
        return;
    // The clips there when the event came, each still there called.
    for (const auto& clip : clipsUnder(*root)) {
        if (stopped())
            return;
        if (clip->isRemoved())
            continue;
        m_frameScripts.clipEvent(*clip, event);
        if (method && !clip->isRemoved() && !stopped())
            m_machine.callClipMethod(m_host.handleOf(*clip), method);
    }
}

void InputScripts::broadcast(const char* object, const char* message, int wheelDelta)
{
    if (stopped())
        return;
    Object* global = m_machine.global();
    Object* broadcaster = global ? m_machine.get(global, object).objectOrNull() : nullptr;
    if (!broadcaster)
        return;
    const Value send = m_machine.get(broadcaster, "broadcastMessage");
    std::vector<Value> args {m_machine.stringValue(message)};
    if (wheelDelta)
        args.push_back(Value::number(wheelDelta));
    m_machine.callFromHost(send, Value::object(broadcaster), args);
}

void InputScripts::mouseAction(MouseAction action, int wheelDelta)
{
    switch (action) {
    case MouseAction::Down:
        everyClip(kClipEventMouseDown, "onMouseDown");
        broadcast("Mouse", "onMouseDown");
        break;
    case MouseAction::Up:
        everyClip(kClipEventMouseUp, "onMouseUp");
        broadcast("Mouse", "onMouseUp");
        break;
    case MouseAction::Move:
        everyClip(kClipEventMouseMove, "onMouseMove");
        broadcast("Mouse", "onMouseMove");
        break;
    case MouseAction::Wheel:
        broadcast("Mouse", "onMouseWheel", wheelDelta);
        break;
    }
}

int InputScripts::buttonKey(int code, int ascii)
{
    static constexpr std::array<std::pair<int, int>, 14> kSpecial {{
        {37, 1}, {39, 2}, {36, 3}, {35, 4}, {45, 5}, {46, 6}, {8, 8},
        {13, 13}, {38, 14}, {40, 15}, {33, 16}, {34, 17}, {9, 18}, {27, 19},
    }};
    for (const auto& [keyCode, buttonCode] : kSpecial)
        if (code == keyCode)
            return buttonCode;
    return ascii >= 32 && ascii < 128 ? ascii : 0;
}

void InputScripts::pressKeyOnButtons(Container& container, int key)
{
    // Copied: a button's actions may change the list.
    const std::vector<std::shared_ptr<DisplayObject>> children = container.children();
    for (const auto& child : children) {
        if (stopped() || child->isRemoved())
            continue;
        if (child->type() == DisplayObject::Type::Button)
            runButtonActions(static_cast<ButtonInstance&>(*child), 0, key);
        else if (child->type() == DisplayObject::Type::Sprite)
            pressKeyOnButtons(static_cast<Container&>(*child), key);
    }
}

void InputScripts::keyAction(bool down, int code, int ascii)
{
    everyClip(down ? kClipEventKeyDown : kClipEventKeyUp, nullptr);
    broadcast("Key", down ? "onKeyDown" : "onKeyUp");
    if (!down || (m_textEntry && m_textEntry->takesKey(m_host.stage().input(), code, ascii)))
        return;
    if (!stopped())
        m_focus.keyDown(code);
    const int key = buttonKey(code, ascii);
    SpriteInstance* root = m_host.sprite(m_host.root(0));
    if (!key || !root)
        return;
    for (const auto& clip : clipsUnder(*root))
        if (!clip->isRemoved() && !stopped())
            m_frameScripts.keyPress(*clip, key);
    pressKeyOnButtons(*root, key);
}

} // namespace swf::script
