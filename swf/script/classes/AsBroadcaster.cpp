// AsBroadcaster: initialize() gives an object the listener methods and a
// _listeners array; broadcastMessage calls the method by name on each.

#include "swf/script/ArrayObject.h"
#include "swf/script/Equality.h"
#include "swf/script/Heap.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

Object* listenersOf(Machine& m, const Value& self)
{
    return m.get(self, m.names().listeners).objectOrNull();
}

Value addListener(NativeCall& c)
{
    Machine& m = c.machine;
    Object* list = listenersOf(m, c.thisValue);
    if (!list)
        return Value::boolean(true);
    // A listener is there once: remove, then add at the end.
    const Value removeName = Value::string(m.intern("removeListener"));
    m.callMethod(c.thisValue, removeName.asString(), c.args.subspan(0, std::min<std::size_t>(1, c.count())));
    const Value push = m.get(Value::object(list), m.intern("push"));
    const Value listener = c.arg(0);
    m.call(push, Value::object(list), std::span<const Value>(&listener, 1));
    return Value::boolean(true);
}

Value removeListener(NativeCall& c)
{
    Machine& m = c.machine;
    Object* list = listenersOf(m, c.thisValue);
    if (!list)
        return Value::boolean(false);
    const double length = m.toNumber(m.get(list, m.names().length));
    const std::size_t n = length > 0 ? std::size_t(std::min(length, 1e6)) : 0;
    m.chargeWork(n);
    for (std::size_t i = 0; i < n; ++i) {
        const Value entry = m.getMember(Value::object(list), Value::number(double(i)));
        if (strictEquals(entry, c.arg(0))) {
            const Value splice = m.get(Value::object(list), m.intern("splice"));
            const Value args[] {Value::number(double(i)), Value::number(1)};
            m.call(splice, Value::object(list), args);
            return Value::boolean(true);
        }
    }
    return Value::boolean(false);
}

Value broadcastMessage(NativeCall& c)
{
    Machine& m = c.machine;
    if (c.count() == 0)
        return Value();
    Object* list = listenersOf(m, c.thisValue);
    if (!list)
        return Value();
    String* name = m.toKey(c.arg(0));
    // Listeners may come and go while they are called: call the ones that
    // were there when the message went out, kept alive meanwhile.
    RootedValues listeners(m.heap());
    const double length = m.toNumber(m.get(list, m.names().length));
    const std::size_t n = length > 0 ? std::size_t(std::min(length, 1e6)) : 0;
    m.chargeWork(n);
    for (std::size_t i = 0; i < n; ++i)
        listeners.push_back(m.getMember(Value::object(list), Value::number(double(i))));
    const std::span<const Value> args = c.args.subspan(1);
    bool anyone = false;
    for (std::size_t i = 0; i < listeners.size(); ++i) {
        if (listeners[i].isNullish())
            continue;
        anyone = true;
        m.callMethod(listeners[i], name, args);
    }
    return anyone && m.version() >= 6 ? Value::boolean(true) : Value();
}

Value initialize(NativeCall& c)
{
    Machine& m = c.machine;
    Object* target = c.arg(0).objectOrNull();
    Object* broadcaster = c.thisObject();
    if (!target || !broadcaster)
        return Value();
    // broadcastMessage comes from ASnative as _global has it now, as the
    // reference player's own script fetches it; the other two are shared.
    const Value asNative = m.get(m.global(), "ASnative");
    const Value numbers[] {Value::number(101), Value::number(12)};
    m.define(target, "broadcastMessage", m.call(asNative, Value(), numbers), HP);
    m.define(target, "addListener", m.get(broadcaster, "addListener"), HP);
    m.define(target, "removeListener", m.get(broadcaster, "removeListener"), HP);
    m.define(target, m.names().listeners, Value::object(m.newArray()), HP);
    return Value();
}

} // namespace

void installAsBroadcaster(Machine& machine)
{
    Object* proto = machine.newObject();
    Function* broadcaster = defineClass(machine, "AsBroadcaster", [](NativeCall&) { return Value(); }, proto, H, HP);
    machine.builtins().asBroadcaster = broadcaster;
    // These were written in script in the reference player, and have the
    // prototype objects script functions get.
    // The class is there for version 5 movies, its methods are not.
    machine.addPrototype(defineMethod(machine, broadcaster, "initialize", initialize, HP | Swf6));
    machine.addPrototype(defineMethod(machine, broadcaster, "addListener", addListener, HP | Swf6));
    machine.addPrototype(defineMethod(machine, broadcaster, "removeListener", removeListener, HP | Swf6));
    defineMethod(machine, broadcaster, "broadcastMessage", broadcastMessage, HP | Swf6);
    registerNative(machine, 101, 12, broadcastMessage);
}

} // namespace swf::script
