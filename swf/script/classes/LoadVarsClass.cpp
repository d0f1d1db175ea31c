// LoadVars: an object whose own properties are the variables it sends and
// the ones it received. Its text form runs through whatever escape() and
// Array methods the movie has in place, as the reference player's own
// script does.

#include "swf/script/ArrayObject.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"
#include "swf/script/classes/Loads.h"
#include "swf/script/classes/UrlVariables.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

Value loadVarsConstructor(NativeCall&)
{
    return Value();
}

Value decodeMethod(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self || c.count() == 0)
        return Value::boolean(false);
    decodeUrlVariables(m, self, m.toString(c.arg(0))->view());
    return Value();
}

Value toStringMethod(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self)
        return Value();
    // The movie's own escape() and push() run, as the reference player's
    // script calls them; the text is what they were given.
    std::string text;
    std::vector<Value> keys;
    m.enumerate(self, keys);
    const Value escape = m.get(Value::object(m.global()), m.intern("escape"));
    const Value parts = Value::object(m.newArray());
    for (const Value& key : keys) {
        const Value value = m.getMember(c.thisValue, key);
        if (value.isObject() && value.asObject()->isFunction())
            continue;
        const Value name = m.call(escape, Value::object(m.global()), std::span(&key, 1));
        const Value escaped = m.call(escape, Value::object(m.global()), std::span(&value, 1));
        const Value pair = m.stringValue(m.toStdString(name) + "=" + m.toStdString(escaped));
        m.callMethod(parts, m.intern("push"), std::span(&pair, 1));
        text += (text.empty() ? "" : "&") + m.toStdString(pair);
    }
    return m.stringValue(std::move(text));
}

Value onDataMethod(NativeCall& c)
{
    return defaultOnData(c, [](Machine& m, Object* self, const Value& text) { decodeUrlVariables(m, self, m.toString(text)->view()); });
}


} // namespace

void installLoadVarsClass(Machine& machine)
{
    Object* p = machine.newObject();
    // Movies before version 6 see the class, but nothing of its prototype,
    // not even the link to Object's: a LoadVars there answers nothing.
    constexpr std::uint32_t kOwn = HP | Swf6;
    p->setPrototypeFlags(kOwn);
    Function* loadVars = defineClass(machine, "LoadVars", loadVarsConstructor, p, H);
    machine.define(p, machine.names().constructor, Value::object(loadVars), kOwn);
    defineScriptMethod(machine, p, "addRequestHeader", addRequestHeaderMethod, kOwn);
    machine.define(p, "contentType", machine.stringValue("application/x-www-form-urlencoded"), kOwn);
    defineMethod(machine, p, "decode", decodeMethod, kOwn);
    defineScriptMethod(machine, p, "getBytesLoaded", bytesLoadedMethod, kOwn, 0);
    defineMethod(machine, p, "load", loadMethod, kOwn);
    defineMethod(machine, p, "send", sendMethod, kOwn);
    defineMethod(machine, p, "sendAndLoad", sendAndLoadMethod, kOwn);
    defineScriptMethod(machine, p, "getBytesTotal", bytesLoadedMethod, kOwn, 1);
    registerNative(machine, 301, 0, loadMethod);
    registerNative(machine, 301, 1, sendMethod);
    registerNative(machine, 301, 2, sendAndLoadMethod);
    registerNative(machine, 301, 3, decodeMethod);
    defineScriptMethod(machine, p, "onData", onDataMethod, kOwn);
    defineScriptMethod(machine, p, "onLoad", ignoreOnLoad, kOwn);
    defineScriptMethod(machine, p, "toString", toStringMethod, kOwn);
}

} // namespace swf::script
