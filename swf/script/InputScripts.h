#pragma once

// Runs a movie's script for the pointer and the keyboard: button actions
// (DefineButton's on release, DefineButton2's per transition and key),
// the clips' onPress family and onClipEvent handlers, onMouseDown/Up/Move
// on every clip, and the Key and Mouse listeners. It tells the input state
// which clips answer the pointer as buttons do.

#include <cstdint>

#include "swf/runtime/InputState.h"
#include "swf/script/KeyboardFocus.h"

namespace swf {
class ButtonInstance;
class Container;
} // namespace swf

namespace swf::script {

class FrameScripts;
class Machine;
class StageHost;
class TextEntry;

class InputScripts final : public InputListener {
public:
    InputScripts(Machine& machine, StageHost& host, FrameScripts& frameScripts);

    Interaction interaction(const DisplayObject& object) override;
    void pointerTransition(DisplayObject& target, PointerTransition transition) override;
    void mouseAction(MouseAction action, int wheelDelta) override;
    void keyAction(bool down, int code, int ascii) override;

    // The key DefineButton2 names for a key code and the character it
    // typed (its own numbers for the arrows and the like), 0 for none.
    static int buttonKey(int code, int ascii);
    // Keys a focused text field answers are its own, not buttons' too.
    void setTextEntry(const TextEntry* entry) { m_textEntry = entry; }

private:
    void runButtonActions(ButtonInstance& button, std::uint16_t condition, int key);
    void pressKeyOnButtons(Container& container, int key);
    // Every clip on stage, parents first: its onClipEvent handlers for
    // `event`, then its method `method`.
    void everyClip(std::uint32_t event, const char* method);
    void broadcast(const char* object, const char* message, int wheelDelta = 0);
    bool stopped() const;

    Machine& m_machine;
    StageHost& m_host;
    FrameScripts& m_frameScripts;
    const TextEntry* m_textEntry = nullptr;
    KeyboardFocus m_focus;
};

} // namespace swf::script
