#pragma once

// The pointer and the keyboard as the movie sees them: where the pointer
// is (stage twips), which object under it answers it, which one it
// pressed, the keys held down, the clip being dragged. Pointer moves,
// presses and releases walk the button state machine (idle, over-up,
// over-down, out-down) and tell an InputListener of each transition; the
// runtime shows the buttons' states itself.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>

#include <QPointF>
#include <QRectF>

namespace swf {

class ButtonInstance;
class DisplayObject;
class Stage;

// A transition of the state machine, valued as DefineButton2's condition
// bits name it.
enum class PointerTransition : std::uint16_t {
    RollOver = 0x001,       // idle to over-up
    RollOut = 0x002,        // over-up to idle
    Press = 0x004,          // over-up to over-down
    Release = 0x008,        // over-down to over-up
    DragOut = 0x010,        // over-down to out-down
    DragOver = 0x020,       // out-down to over-down
    ReleaseOutside = 0x040, // out-down to idle
    MenuDragOver = 0x080,   // idle to over-down, for menus
    MenuDragOut = 0x100,    // over-down to idle, for menus
};

enum class MouseAction { Down, Up, Move, Wheel };

class InputListener {
public:
    virtual ~InputListener() = default;

    // What the layer above makes of a sprite or a button: whether it takes
    // the pointer as a button does, and how.
    struct Interaction {
        bool interactive = false; // buttons always are
        bool enabled = true;
        bool trackAsMenu = false;
        bool handCursor = true;
        const DisplayObject* hitArea = nullptr;
    };
    virtual Interaction interaction(const DisplayObject& object)
    {
        (void)object;
        return {};
    }
    virtual void pointerTransition(DisplayObject& target, PointerTransition transition) { (void)target, (void)transition; }
    // Every press, release, move and wheel turn, wherever it is.
    virtual void mouseAction(MouseAction action, int wheelDelta) { (void)action, (void)wheelDelta; }
    virtual void keyAction(bool down, int code, int ascii) { (void)down, (void)code, (void)ascii; }
};

class InputState {
public:
    enum class Cursor { Arrow, Hand, IBeam };

    explicit InputState(Stage& stage);
    ~InputState();

    void setListener(InputListener* listener) { m_listener = listener; }
    // Told of each transition of a button before the listener is, for what
    // the runtime does on its own (the button's sounds).
    void setButtonTap(std::function<void(const ButtonInstance&, PointerTransition)> tap) { m_buttonTap = std::move(tap); }

    // Stage twips, from the top left corner of the movie's frame.
    void pointerMove(QPointF point);
    void pointerPress();
    void pointerRelease();
    // Positive away from the user, in notches.
    void wheel(int delta);
    // `code` is the movie's key code (Key.LEFT and the like), `ascii` the
    // character the key typed, 0 for none.
    void keyDown(int code, int ascii);
    void keyUp(int code, int ascii);
    // The tree changed under a still pointer (a frame went by): what is
    // under it may be something else now.
    void refresh();

    QPointF pointer() const { return m_pointer; }
    bool isPointerDown() const { return m_down; }
    bool isKeyDown(int code) const { return m_keys.count(code) > 0; }
    int lastKeyCode() const { return m_lastCode; }
    int lastAscii() const { return m_lastAscii; }
    bool isToggled(int code) const { return m_toggled.count(code) > 0; }

    // What answers the pointer now, and what it pressed; null for none.
    DisplayObject* hovered() const;
    DisplayObject* pressed() const;
    Cursor cursor() const;
    bool isCursorHidden() const { return m_cursorHidden; }
    void setCursorHidden(bool hidden) { m_cursorHidden = hidden; }

    // Dragging: the clip follows the pointer, its registration point under
    // it (`lockCenter`) or where it was grabbed, within `bounds` (twips in
    // its parent's space) when given.
    void startDrag(DisplayObject& object, bool lockCenter, std::optional<QRectF> bounds);
    void stopDrag();
    DisplayObject* dragged() const;
    // The innermost sprite under the pointer, leaving out the dragged clip.
    DisplayObject* dropTarget() const;

    // The topmost object at a stage point that answers the pointer.
    DisplayObject* targetAt(QPointF point) const;
    // The topmost object drawn at a stage point, whatever answers it.
    DisplayObject* drawnAt(QPointF point) const;

    // The object the focus rectangle is drawn round, null for none. A
    // press of the pointer takes the rectangle away, as the reference
    // player does; the focus itself stays.
    void setFocusHighlight(DisplayObject* object);
    DisplayObject* focusHighlight() const;
    // Enter or Space on the focused button or clip: pressed and released
    // where it is, whatever the pointer does.
    void pressByKey(DisplayObject& object);

private:
    void track();
    void follow();
    void show(DisplayObject* object, int state);
    void tell(DisplayObject* object, PointerTransition transition);
    InputListener::Interaction interactionOf(const DisplayObject& object) const;

    Stage& m_stage;
    InputListener* m_listener = nullptr;
    std::function<void(const ButtonInstance&, PointerTransition)> m_buttonTap;
    QPointF m_pointer;
    // Until the pointer first comes over the stage (never, in a headless
    // run) there is nothing under it to keep track of.
    bool m_pointerKnown = false;
    bool m_down = false;
    std::weak_ptr<DisplayObject> m_hovered;
    std::weak_ptr<DisplayObject> m_pressed;
    bool m_pressedInside = false;
    std::set<int> m_keys;
    std::set<int> m_toggled;
    int m_lastCode = 0;
    int m_lastAscii = 0;
    bool m_cursorHidden = false;

    std::weak_ptr<DisplayObject> m_focusHighlight;
    std::weak_ptr<DisplayObject> m_dragged;
    QPointF m_grabOffset;
    std::optional<QRectF> m_dragBounds;
};

} // namespace swf
