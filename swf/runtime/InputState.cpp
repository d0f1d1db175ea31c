#include "swf/runtime/InputState.h"

#include <algorithm>
#include <functional>

#include "swf/runtime/ButtonInstance.h"
#include "swf/runtime/EditTextInstance.h"
#include "swf/runtime/HitTest.h"
#include "swf/runtime/Stage.h"

namespace swf {

namespace {

enum ShownState { kShowUp, kShowOver, kShowDown };

DisplayObject* alive(const std::weak_ptr<DisplayObject>& held)
{
    const std::shared_ptr<DisplayObject> object = held.lock();
    return object && !object->isRemoved() ? object.get() : nullptr;
}

std::weak_ptr<DisplayObject> weak(DisplayObject* object)
{
    return object ? object->weak_from_this() : std::weak_ptr<DisplayObject> {};
}

// The keys that stay on from one press to the next.
bool isToggleKey(int code)
{
    return code == 20 || code == 144 || code == 145; // caps, num and scroll lock
}

} // namespace

InputState::InputState(Stage& stage)
    : m_stage(stage)
{
}

InputState::~InputState() = default;

DisplayObject* InputState::hovered() const
{
    return alive(m_hovered);
}

DisplayObject* InputState::pressed() const
{
    return alive(m_pressed);
}

DisplayObject* InputState::dragged() const
{
    return alive(m_dragged);
}

InputListener::Interaction InputState::interactionOf(const DisplayObject& object) const
{
    InputListener::Interaction interaction = m_listener ? m_listener->interaction(object) : InputListener::Interaction {};
    if (object.type() == DisplayObject::Type::Button) {
        interaction.interactive = true;
        interaction.trackAsMenu = interaction.trackAsMenu || static_cast<const ButtonInstance&>(object).definition().trackAsMenu;
    }
    return interaction;
}

namespace {

// Children from the top down: the first that answers wins. A clip that
// answers the pointer takes it for everything inside it; content that
// answers nothing lets the pointer through to what lies below.
DisplayObject* findTarget(const Container& container, QPointF local, QPointF stagePoint,
                          const std::function<InputListener::Interaction(const DisplayObject&)>& interactionOf)
{
    // Copied: the listener is asked about each clip on the way.
    const std::vector<std::shared_ptr<DisplayObject>> children = container.children();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        DisplayObject& child = **it;
        if (child.clipDepth() || !child.isVisible())
            continue;
        if (child.type() != DisplayObject::Type::Button && child.type() != DisplayObject::Type::Sprite)
            continue;
        bool invertible = false;
        const QPointF inner = child.matrix().toTransform().inverted(&invertible).map(local);
        if (!invertible || !maskAdmits(container, child, local))
            continue;
        const InputListener::Interaction interaction = interactionOf(child);
        if (interaction.interactive) {
            if (!interaction.enabled)
                continue;
            bool hit = false;
            if (interaction.hitArea) {
                const std::optional<QPointF> inArea = toLocal(*interaction.hitArea, stagePoint);
                hit = inArea && coversPoint(*interaction.hitArea, *inArea);
            } else {
                hit = coversPoint(child, inner);
            }
            if (hit)
                return &child;
            continue;
        }
        if (child.type() == DisplayObject::Type::Sprite)
            if (DisplayObject* found = findTarget(static_cast<const Container&>(child), inner, stagePoint, interactionOf))
                return found;
    }
    return nullptr;
}

// The topmost drawn object at the point that is not inside `skip`.
DisplayObject* findLeaf(const Container& container, QPointF local, const DisplayObject* skip)
{
    const auto& children = container.children();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        DisplayObject& child = **it;
        if (child.clipDepth() || !child.isVisible() || &child == skip)
            continue;
        bool invertible = false;
        const QPointF inner = child.matrix().toTransform().inverted(&invertible).map(local);
        if (!invertible || !maskAdmits(container, child, local))
            continue;
        if (child.type() == DisplayObject::Type::Sprite) {
            if (DisplayObject* found = findLeaf(static_cast<const Container&>(child), inner, skip))
                return found;
            continue;
        }
        if (coversPoint(child, inner))
            return &child;
    }
    return nullptr;
}

} // namespace

DisplayObject* InputState::targetAt(QPointF point) const
{
    const SpriteInstance* root = m_stage.root();
    if (!root)
        return nullptr;
    const auto interaction = [this](const DisplayObject& object) { return interactionOf(object); };
    // Loaded levels are drawn over the main movie, the highest on top.
    for (auto level = m_stage.levels().rbegin(); level != m_stage.levels().rend(); ++level)
        if (DisplayObject* found = findTarget(*level->second, point, point, interaction))
            return found;
    return findTarget(*root, point, point, interaction);
}

DisplayObject* InputState::drawnAt(QPointF point) const
{
    for (auto level = m_stage.levels().rbegin(); level != m_stage.levels().rend(); ++level)
        if (DisplayObject* found = findLeaf(*level->second, point, nullptr))
            return found;
    const SpriteInstance* root = m_stage.root();
    return root ? findLeaf(*root, point, nullptr) : nullptr;
}

DisplayObject* InputState::dropTarget() const
{
    const SpriteInstance* root = m_stage.root();
    if (!root)
        return nullptr;
    DisplayObject* leaf = findLeaf(*root, m_pointer, dragged());
    for (DisplayObject* up = leaf; up; up = up->parent())
        if (up->type() == DisplayObject::Type::Sprite && up != root)
            return up;
    return nullptr;
}

InputState::Cursor InputState::cursor() const
{
    if (const DisplayObject* over = hovered(); over && interactionOf(*over).handCursor)
        return Cursor::Hand;
    const SpriteInstance* root = m_stage.root();
    const DisplayObject* leaf = root ? findLeaf(*root, m_pointer, nullptr) : nullptr;
    if (leaf && leaf->type() == DisplayObject::Type::EditText) {
        const EditText& field = static_cast<const EditTextInstance&>(*leaf).field();
        if (!field.readOnly || !field.noSelect)
            return Cursor::IBeam;
    }
    return Cursor::Arrow;
}

void InputState::show(DisplayObject* object, int state)
{
    if (object && object->type() == DisplayObject::Type::Sprite) {
        // A clip acting as a button shows its _up, _over and _down frames,
        // when it has them.
        static constexpr const char* kLabels[] {"_up", "_over", "_down"};
        auto& sprite = static_cast<SpriteInstance&>(*object);
        for (const FrameLabel& label : sprite.script().labels) {
            if (label.name == kLabels[state]) {
                sprite.gotoFrame(label.frame);
                sprite.stop();
                return;
            }
        }
        return;
    }
    if (!object || object->type() != DisplayObject::Type::Button)
        return;
    static constexpr ButtonInstance::State kStates[] {ButtonInstance::State::Up, ButtonInstance::State::Over,
                                                      ButtonInstance::State::Down};
    static_cast<ButtonInstance&>(*object).setState(kStates[state]);
}

void InputState::tell(DisplayObject* object, PointerTransition transition)
{
    // Held while its handlers run: they may take it off the stage.
    const std::shared_ptr<DisplayObject> keep = object ? object->shared_from_this() : nullptr;
    if (keep && m_buttonTap && keep->type() == DisplayObject::Type::Button)
        m_buttonTap(static_cast<const ButtonInstance&>(*keep), transition);
    if (keep && m_listener)
        m_listener->pointerTransition(*keep, transition);
}

// Walks the state machine to wherever the pointer is now.
void InputState::track()
{
    DisplayObject* target = targetAt(m_pointer);
    if (!m_down) {
        DisplayObject* before = hovered();
        if (target == before)
            return;
        m_hovered = weak(target);
        if (before) {
            show(before, kShowUp);
            tell(before, PointerTransition::RollOut);
        }
        if (target && hovered() == target) {
            show(target, kShowOver);
            tell(target, PointerTransition::RollOver);
        }
        return;
    }
    DisplayObject* held = pressed();
    const bool menu = !held || interactionOf(*held).trackAsMenu;
    if (held && !menu) {
        // A button keeps the pointer it pressed until the release.
        const bool inside = target == held;
        if (inside == m_pressedInside)
            return;
        m_pressedInside = inside;
        show(held, inside ? kShowDown : kShowOver);
        tell(held, inside ? PointerTransition::DragOver : PointerTransition::DragOut);
        return;
    }
    // Menus hand the pressed pointer on to whichever item it passes over.
    if (target == held)
        return;
    m_pressed.reset();
    m_hovered.reset();
    if (held) {
        show(held, kShowUp);
        tell(held, PointerTransition::MenuDragOut);
    }
    if (target && interactionOf(*target).trackAsMenu && targetAt(m_pointer) == target) {
        m_pressed = weak(target);
        m_hovered = weak(target);
        m_pressedInside = true;
        show(target, kShowDown);
        tell(target, PointerTransition::MenuDragOver);
    }
}

void InputState::follow()
{
    DisplayObject* object = dragged();
    if (!object)
        return;
    QPointF at = m_pointer;
    if (const DisplayObject* parent = object->parent()) {
        const std::optional<QPointF> local = toLocal(*parent, m_pointer);
        if (!local)
            return;
        at = *local;
    }
    at -= m_grabOffset;
    if (m_dragBounds) {
        at.setX(std::clamp(at.x(), m_dragBounds->left(), std::max(m_dragBounds->left(), m_dragBounds->right())));
        at.setY(std::clamp(at.y(), m_dragBounds->top(), std::max(m_dragBounds->top(), m_dragBounds->bottom())));
    }
    Matrix matrix = object->matrix();
    matrix.tx = at.x();
    matrix.ty = at.y();
    object->setMatrix(matrix);
}

void InputState::pointerMove(QPointF point)
{
    m_pointer = point;
    m_pointerKnown = true;
    follow();
    track();
    if (m_listener)
        m_listener->mouseAction(MouseAction::Move, 0);
}

void InputState::setFocusHighlight(DisplayObject* object)
{
    if (focusHighlight() == object)
        return;
    m_focusHighlight = weak(object);
    m_stage.markChanged();
}

DisplayObject* InputState::focusHighlight() const
{
    return alive(m_focusHighlight);
}

void InputState::pressByKey(DisplayObject& object)
{
    const std::shared_ptr<DisplayObject> keep = object.shared_from_this();
    show(&object, kShowDown);
    tell(&object, PointerTransition::Press);
    if (object.isRemoved())
        return;
    show(&object, hovered() == &object ? kShowOver : kShowUp);
    tell(&object, PointerTransition::Release);
}

void InputState::pointerPress()
{
    if (m_down)
        return;
    setFocusHighlight(nullptr);
    track();
    m_down = true;
    if (m_listener)
        m_listener->mouseAction(MouseAction::Down, 0);
    DisplayObject* over = hovered();
    if (!over)
        return;
    m_pressed = weak(over);
    m_pressedInside = true;
    show(over, kShowDown);
    tell(over, PointerTransition::Press);
}

void InputState::pointerRelease()
{
    if (!m_down)
        return;
    m_down = false;
    if (m_listener)
        m_listener->mouseAction(MouseAction::Up, 0);
    DisplayObject* held = pressed();
    m_pressed.reset();
    if (held && m_pressedInside) {
        m_hovered = weak(held);
        show(held, kShowOver);
        tell(held, PointerTransition::Release);
    } else if (held) {
        m_hovered.reset();
        show(held, kShowUp);
        tell(held, PointerTransition::ReleaseOutside);
    }
    track();
}

void InputState::wheel(int delta)
{
    if (m_listener && delta)
        m_listener->mouseAction(MouseAction::Wheel, delta);
}

void InputState::keyDown(int code, int ascii)
{
    if (m_keys.insert(code).second && isToggleKey(code) && !m_toggled.erase(code))
        m_toggled.insert(code);
    m_lastCode = code;
    m_lastAscii = ascii;
    if (m_listener)
        m_listener->keyAction(true, code, ascii);
}

void InputState::keyUp(int code, int ascii)
{
    m_keys.erase(code);
    m_lastCode = code;
    m_lastAscii = ascii;
    if (m_listener)
        m_listener->keyAction(false, code, ascii);
}

void InputState::refresh()
{
    follow();
    if (m_pointerKnown)
        track();
}

void InputState::startDrag(DisplayObject& object, bool lockCenter, std::optional<QRectF> bounds)
{
    m_dragged = object.weak_from_this();
    m_dragBounds = bounds ? std::optional<QRectF>(bounds->normalized()) : std::nullopt;
    m_grabOffset = {};
    if (!lockCenter) {
        const DisplayObject* parent = object.parent();
        const std::optional<QPointF> local = parent ? toLocal(*parent, m_pointer) : std::optional<QPointF>(m_pointer);
        if (local)
            m_grabOffset = *local - QPointF(object.matrix().tx, object.matrix().ty);
    }
    follow();
}

void InputState::stopDrag()
{
    m_dragged.reset();
    m_dragBounds.reset();
}

} // namespace swf
