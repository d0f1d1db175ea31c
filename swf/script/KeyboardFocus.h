#pragma once

// Keyboard focus as the player moves it: Tab and Shift+Tab step through
// the buttons, clips and input fields that take focus, in the reference
// player's order; Enter and Space press the focused button or clip. Every
// move, script's own Selection.setFocus included, tells the object losing
// focus (onKillFocus), the one gaining it (onSetFocus) and Selection's
// listeners.

#include <memory>
#include <vector>

#include "swf/runtime/FocusOrder.h"
#include "swf/script/Host.h"
#include "swf/script/Value.h"

namespace swf {
class Container;
class InputListener;
class InputState;
} // namespace swf

namespace swf::script {

class Machine;
class StageHost;

// Moves focus to `wanted`, or away from everything for a null handle.
void moveFocus(Machine& machine, ClipHandle wanted);

class KeyboardFocus {
public:
    // `interactions` says which clips answer the pointer as buttons do.
    KeyboardFocus(Machine& machine, StageHost& host, InputListener& interactions);

    // A key went down: true when it moved or used the focus.
    bool keyDown(int code);

    // What takes focus now, in the order found (parents before children,
    // depth order among siblings); each is held until the next call.
    std::vector<FocusCandidate> candidates();

private:
    void collect(const Container& container, std::vector<FocusCandidate>& into, int nesting);
    bool takesFocus(DisplayObject& object, const Value& self);
    void tab(bool backward);
    void press();

    Machine& m_machine;
    StageHost& m_host;
    InputListener& m_interactions;
    std::vector<std::shared_ptr<DisplayObject>> m_held;
};

} // namespace swf::script
