// XMLSocket: the class as the reference player has it. This player opens
// no sockets: a movie from disk may not reach the network at all, and one
// from the web has no socket server it may use, so connect fails at once,
// as the reference player's does when the address is refused.

#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

Value socketConstructor(NativeCall&)
{
    return Value();
}

Value connectMethod(NativeCall& c)
{
    Machine& m = c.machine;
    m.host().diagnostic("XMLSocket.connect to \"" + m.toStdString(c.arg(0)) + ":" + m.toStdString(c.arg(1))
                        + "\" refused: this player opens no sockets");
    return Value::boolean(false);
}

// Nothing is connected, so there is nothing to send or close.
Value ignoreMethod(NativeCall&)
{
    return Value();
}

// The default onData: the text as a document, to onXML.
Value onDataMethod(NativeCall& c)
{
    Machine& m = c.machine;
    const Value xmlClass = m.get(Value::object(m.global()), m.intern("XML"));
    const Value document = m.construct(xmlClass, c.args.subspan(0, std::min<std::size_t>(1, c.count())));
    m.callMethod(c.thisValue, m.intern("onXML"), std::span(&document, 1));
    return Value();
}

} // namespace

void installXmlSocketClass(Machine& machine)
{
    Object* p = machine.newObject();
    defineClass(machine, "XMLSocket", socketConstructor, p);
    defineMethod(machine, p, "close", ignoreMethod);
    defineMethod(machine, p, "connect", connectMethod);
    defineScriptMethod(machine, p, "onData", onDataMethod, HP);
    defineMethod(machine, p, "send", ignoreMethod);
}

} // namespace swf::script
