// Key: the keyboard as the movie sees it, asked of the host, and its
// listeners, told by the input scripts.

#include "swf/script/Machine.h"
#include "swf/script/classes/Broadcasters.h"
#include "swf/script/classes/Builtins.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

enum KeyFunction { GetAscii, GetCode, IsAccessible, IsDown, IsToggled };

Value keyFunction(NativeCall& c)
{
    Machine& m = c.machine;
    Host& host = m.host();
    switch (c.callee->tag()) {
    case GetAscii: return Value::number(host.lastKeyAscii());
    case GetCode: return Value::number(host.lastKeyCode());
    case IsAccessible: return Value::boolean(false);
    case IsDown: return Value::boolean(c.count() > 0 && host.keyIsDown(m.toInt32(c.arg(0))));
    case IsToggled: return Value::boolean(c.count() > 0 && host.keyIsToggled(m.toInt32(c.arg(0))));
    default: return Value();
    }
}

} // namespace

void installKeyClass(Machine& machine)
{
    Object* key = machine.newObject();
    key->setPrototypeFlags(HPC);
    machine.define(key, machine.names().constructor, Value::object(machine.builtins().objectConstructor), HPC);
    machine.define(machine.global(), "Key", Value::object(key), H);
    static constexpr struct {
        const char* name;
        KeyFunction function;
    } kFunctions[] {
        {"getAscii", GetAscii}, {"getCode", GetCode}, {"isAccessible", IsAccessible}, {"isDown", IsDown}, {"isToggled", IsToggled},
    };
    for (const auto& entry : kFunctions)
        defineMethod(machine, key, entry.name, keyFunction, HPC, entry.function);
    static constexpr struct {
        const char* name;
        int code;
    } kCodes[] {
        {"ALT", 18},   {"BACKSPACE", 8}, {"CAPSLOCK", 20}, {"CONTROL", 17}, {"DELETEKEY", 46}, {"DOWN", 40},
        {"END", 35},   {"ENTER", 13},    {"ESCAPE", 27},   {"HOME", 36},    {"INSERT", 45},    {"LEFT", 37},
        {"PGDN", 34},  {"PGUP", 33},     {"RIGHT", 39},    {"SHIFT", 16},   {"SPACE", 32},     {"TAB", 9},
        {"UP", 38},
    };
    for (const auto& entry : kCodes)
        machine.define(key, entry.name, Value::number(entry.code), HPC);
    makeBroadcaster(machine, key);
}

} // namespace swf::script
