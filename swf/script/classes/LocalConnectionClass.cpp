// LocalConnection: movies playing in this program call each other's
// methods. A receiver connects under a name; a sender's send(name,
// method, ...) reaches it at its next frame boundary, and the sender's
// onStatus then hears whether anyone was there ("status") or not
// ("error"). Names are the sender's domain and the name ("localhost:chat"
// for movies from disk) unless they start with an underscore, and are
// compared without regard to case.

#include <algorithm>
#include <cctype>

#include <QUrl>

#include "swf/script/ArrayObject.h"
#include "swf/script/LocalConnectionBus.h"
#include "swf/script/Machine.h"
#include "swf/script/SolFormat.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

enum Slot : std::size_t { Marker, Receiver, SlotCount };

// The method name under which a sender's answer travels: no movie's
// method can be called this.
constexpr std::string_view kStatusMethod {"\0status", 7};

std::string domainOf(Machine& m)
{
    const QUrl url(QString::fromStdString(m.host().movieUrl()));
    if (url.isLocalFile() || url.host().isEmpty())
        return "localhost";
    return url.host().toLower().toStdString();
}

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

Value localConnectionConstructor(NativeCall& c)
{
    if (Object* self = c.thisObject())
        makeNativeStore(c.machine, self, "LocalConnection", SlotCount)->setIndex(c.machine, Receiver, Value::number(0));
    return Value();
}

Value connect(NativeCall& c)
{
    Machine& m = c.machine;
    ArrayObject* state = nativeStore(m, c.thisValue, "LocalConnection", SlotCount);
    if (!state || !c.arg(0).isString() || m.toNumber(state->dense(Receiver)) != 0)
        return Value::boolean(false);
    const std::string name = lowered(m.toStdString(c.arg(0)));
    if (name.empty() || name.find(':') != std::string::npos)
        return Value::boolean(false);
    const std::string full = name[0] == '_' ? name : domainOf(m) + ":" + name;
    const std::size_t root = m.addHostRoot(c.thisValue);
    if (!LocalConnectionBus::instance().connect(full, &m, root)) {
        m.removeHostRoot(root);
        return Value::boolean(false);
    }
    state->setIndex(m, Receiver, Value::number(double(root)));
    return Value::boolean(true);
}

Value close(NativeCall& c)
{
    Machine& m = c.machine;
    ArrayObject* state = nativeStore(m, c.thisValue, "LocalConnection", SlotCount);
    const auto root = state ? std::size_t(m.toNumber(state->dense(Receiver))) : 0;
    if (root == 0)
        return Value::boolean(false);
    LocalConnectionBus::instance().close(&m, root);
    m.removeHostRoot(root);
    state->setIndex(m, Receiver, Value::number(0));
    return Value::boolean(true);
}

Value send(NativeCall& c)
{
    Machine& m = c.machine;
    if (!nativeStore(m, c.thisValue, "LocalConnection", SlotCount) || c.count() < 2 || !c.arg(0).isString() || !c.arg(1).isString())
        return Value::boolean(false);
    const std::string method = m.toStdString(c.arg(1));
    for (const char* reserved : {"send", "connect", "close", "allowDomain", "allowInsecureDomain", "domain"})
        if (method == reserved)
            return Value::boolean(false);
    const auto arguments = encodeAmf0Values(m, c.args.subspan(2), LocalConnectionBus::kMaxMessageBytes);
    if (method.empty() || !arguments)
        return Value::boolean(false);
    std::string name = lowered(m.toStdString(c.arg(0)));
    if (name.empty())
        return Value::boolean(false);
    if (name[0] != '_' && name.find(':') == std::string::npos)
        name = domainOf(m) + ":" + name;
    LocalConnectionBus& bus = LocalConnectionBus::instance();
    const bool delivered = bus.send(name, method, *arguments);
    // A movie that sends without end hears about the first ones only.
    const std::size_t sender = m.addHostRoot(c.thisValue);
    if (!bus.post(&m, {sender, std::string(kStatusMethod), delivered ? "status" : "error"}))
        m.removeHostRoot(sender);
    return Value::boolean(true);
}

Value domain(NativeCall& c)
{
    return c.machine.stringValue(domainOf(c.machine));
}

} // namespace

void deliverLocalConnections(Machine& machine)
{
    for (LocalConnectionBus::Message& message : LocalConnectionBus::instance().take(&machine)) {
        const Value target = machine.hostRoot(message.receiver);
        if (message.method == kStatusMethod) {
            machine.removeHostRoot(message.receiver);
            Object* info = machine.newObject();
            machine.define(info, "level", machine.stringValue(message.arguments));
            const Value handler = target.isObject() ? machine.get(target, machine.intern("onStatus")) : Value();
            const Value argument = Value::object(info);
            if (handler.isObject() && handler.asObject()->isFunction())
                machine.callFromHost(handler, target, std::span(&argument, 1));
            continue;
        }
        if (!target.isObject())
            continue; // closed since it was sent
        const Value method = machine.get(target, machine.intern(message.method));
        if (!method.isObject() || !method.asObject()->isFunction())
            continue;
        if (const auto arguments = decodeAmf0Values(machine, message.arguments))
            machine.callFromHost(method, target, *arguments);
    }
}

void closeLocalConnections(Machine& machine)
{
    LocalConnectionBus::instance().closeAll(&machine);
}

void installLocalConnectionClass(Machine& machine)
{
    Object* p = machine.newObject();
    defineClass(machine, "LocalConnection", localConnectionConstructor, p);
    defineMethod(machine, p, "close", close);
    defineMethod(machine, p, "connect", connect);
    defineMethod(machine, p, "domain", domain);
    defineMethod(machine, p, "send", send);
}

} // namespace swf::script
