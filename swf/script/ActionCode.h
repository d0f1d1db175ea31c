#pragma once

// Action codes as movies store them. Codes from 0x80 up carry a 16-bit
// length and a body; the others are one byte.

#include <cstdint>

namespace swf::script {

// Every action, as X(name, code): the codes below and the interpreter's
// instructions are made from this one list.
#define TVK_SCRIPT_ACTIONS(X) \
    X(End, 0x00) X(NextFrame, 0x04) X(PreviousFrame, 0x05) X(Play, 0x06) X(Stop, 0x07) X(ToggleQuality, 0x08) \
    X(StopSounds, 0x09) X(Add, 0x0A) X(Subtract, 0x0B) X(Multiply, 0x0C) X(Divide, 0x0D) X(Equals, 0x0E) \
    X(Less, 0x0F) X(And, 0x10) X(Or, 0x11) X(Not, 0x12) X(StringEquals, 0x13) X(StringLength, 0x14) \
    X(StringExtract, 0x15) X(Pop, 0x17) X(ToInteger, 0x18) X(GetVariable, 0x1C) X(SetVariable, 0x1D) \
    X(SetTarget2, 0x20) X(StringAdd, 0x21) X(GetProperty, 0x22) X(SetProperty, 0x23) X(CloneSprite, 0x24) \
    X(RemoveSprite, 0x25) X(Trace, 0x26) X(StartDrag, 0x27) X(EndDrag, 0x28) X(StringLess, 0x29) X(Throw, 0x2A) \
    X(CastOp, 0x2B) X(ImplementsOp, 0x2C) X(FsCommand2, 0x2D) X(RandomNumber, 0x30) X(MbStringLength, 0x31) \
    X(CharToAscii, 0x32) X(AsciiToChar, 0x33) X(GetTime, 0x34) X(MbStringExtract, 0x35) X(MbCharToAscii, 0x36) \
    X(MbAsciiToChar, 0x37) X(Delete, 0x3A) X(Delete2, 0x3B) X(DefineLocal, 0x3C) X(CallFunction, 0x3D) \
    X(Return, 0x3E) X(Modulo, 0x3F) X(NewObject, 0x40) X(DefineLocal2, 0x41) X(InitArray, 0x42) X(InitObject, 0x43) \
    X(TypeOf, 0x44) X(TargetPath, 0x45) X(Enumerate, 0x46) X(Add2, 0x47) X(Less2, 0x48) X(Equals2, 0x49) \
    X(ToNumber, 0x4A) X(ToString, 0x4B) X(PushDuplicate, 0x4C) X(StackSwap, 0x4D) X(GetMember, 0x4E) \
    X(SetMember, 0x4F) X(Increment, 0x50) X(Decrement, 0x51) X(CallMethod, 0x52) X(NewMethod, 0x53) \
    X(InstanceOf, 0x54) X(Enumerate2, 0x55) X(BitAnd, 0x60) X(BitOr, 0x61) X(BitXor, 0x62) X(BitLShift, 0x63) \
    X(BitRShift, 0x64) X(BitURShift, 0x65) X(StrictEquals, 0x66) X(Greater, 0x67) X(StringGreater, 0x68) \
    X(Extends, 0x69) X(GotoFrame, 0x81) X(GetUrl, 0x83) X(StoreRegister, 0x87) X(ConstantPool, 0x88) \
    X(WaitForFrame, 0x8A) X(SetTarget, 0x8B) X(GoToLabel, 0x8C) X(WaitForFrame2, 0x8D) X(DefineFunction2, 0x8E) \
    X(Try, 0x8F) X(With, 0x94) X(Push, 0x96) X(Jump, 0x99) X(GetUrl2, 0x9A) X(DefineFunction, 0x9B) X(If, 0x9D) \
    X(Call, 0x9E) X(GotoFrame2, 0x9F)

enum class ActionCode : std::uint8_t {
#define TVK_SCRIPT_ACTION_CODE(name, code) name = code,
    TVK_SCRIPT_ACTIONS(TVK_SCRIPT_ACTION_CODE)
#undef TVK_SCRIPT_ACTION_CODE
};

} // namespace swf::script
