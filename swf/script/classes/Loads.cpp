#include "swf/script/classes/Loads.h"

#include "swf/script/ArrayObject.h"
#include "swf/script/ClipObject.h"
#include "swf/script/Function.h"
#include "swf/script/Machine.h"
#include "swf/script/RequestHeaders.h"
#include "swf/script/classes/ClipLoads.h"
#include "swf/script/classes/UrlVariables.h"

namespace swf::script {

void startLoad(Machine& machine, const Value& target, std::string_view url, const Outgoing& outgoing)
{
    // The root's id names the load: it is unique while the load waits.
    const std::size_t id = machine.addHostRoot(target);
    machine.host().fetch(id, url, outgoing);
}

namespace {

constexpr std::string_view kHeadersName = "_customHeaders";

// Where addRequestHeader keeps the pairs. Movies before version 6 cannot
// see the list it makes, but it is there all the same until they put
// something of their own in its place.
Value customHeaders(Machine& m, Object* self)
{
    String* key = m.intern(kHeadersName);
    const Value seen = m.get(self, key);
    if (!seen.isUndefined())
        return seen;
    const Property* own = self->properties().find(key, m.caseSensitive());
    return own && !own->isAccessor() ? own->value : Value();
}

// What a load from `sender` sends: its headers as pairs of text, at most as
// many as a load may carry, and for a POST its content type.
Outgoing outgoingOf(Machine& m, Object* sender, UrlMethod method, std::string body)
{
    Outgoing outgoing {method, std::move(body), {}, {}};
    if (!sender)
        return outgoing;
    if (method == UrlMethod::Post) {
        const Value type = m.get(sender, "contentType");
        if (!type.isUndefined())
            outgoing.contentType = m.toStdString(type);
    }
    const Value headers = customHeaders(m, sender);
    Object* list = headers.objectOrNull();
    if (!list)
        return outgoing;
    const double length = m.toNumber(m.get(list, m.names().length));
    for (double i = 0; i + 1 < length && i < 2 * kMaxRequestHeaders; i += 2) {
        const Value name = m.getMember(headers, Value::number(i));
        const Value value = m.getMember(headers, Value::number(i + 1));
        if (name.isString() && value.isString())
            outgoing.headers.push_back({m.toStdString(name), m.toStdString(value)});
    }
    return outgoing;
}

// Runs as an entry of its own, so that whatever the movie's handlers do
// wrong is stopped the way any script's fault is.
Value deliverOne(NativeCall& c)
{
    Machine& m = c.machine;
    Object* object = c.thisObject();
    if (!object)
        return Value();
    if (c.arg(1).isNumber()) {
        m.define(object, "_bytesLoaded", c.arg(1), PropertyFlag::DontEnum);
        m.define(object, "_bytesTotal", c.arg(1), PropertyFlag::DontEnum);
    }
    if (object->kind() == ObjectKind::Clip) {
        // loadVariables: the clip takes the variables, then hears of it
        // through its onData method (clips have had such methods since
        // version 6; a text field has none); nothing is told of a failure.
        if (c.arg(0).isString()) {
            decodeUrlVariables(m, object, c.arg(0).asString()->view());
            if (ClipObject* clip = m.resolveClip(object); clip && m.version() >= 6 && !m.host().textField(clip->handle()))
                m.callMethod(c.thisValue, m.intern("onData"), {});
        }
        return Value();
    }
    // A server's answer is heard before what it sent.
    if (c.arg(2).isNumber())
        m.callMethod(c.thisValue, m.intern("onHTTPStatus"), c.args.subspan(2, 1));
    m.callMethod(c.thisValue, m.intern("onData"), c.args.subspan(0, 1));
    return Value();
}

void markLoading(Machine& m, Object* object)
{
    String* key = m.intern("loaded");
    if (Property* own = m.findOwn(object, key); own && !own->isAccessor())
        own->value = Value::boolean(false);
    else
        m.set(object, key, Value::boolean(false));
    if (Property* own = m.findOwn(object, key))
        own->flags |= PropertyFlag::DontEnum;
}

} // namespace

UrlMethod urlMethodOf(Machine& m, const Value& method)
{
    return m.toStdString(method) == "POST" || m.toStdString(method) == "post" ? UrlMethod::Post : UrlMethod::Get;
}

// load(url): the answer comes to this object's onData.
Value loadMethod(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self || c.count() == 0)
        return Value::boolean(false);
    markLoading(m, self);
    startLoad(m, c.thisValue, m.toString(c.arg(0))->view(), outgoingOf(m, self, UrlMethod::Get, {}));
    return Value::boolean(true);
}

// sendAndLoad(url, target[, method]): this object's text goes, the answer
// comes to the target's onData.
Value sendAndLoadMethod(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    Object* target = c.arg(1).objectOrNull();
    if (!self || !target || c.count() < 2)
        return Value::boolean(false);
    const std::string body = m.toStdString(m.callMethod(c.thisValue, m.names().toString, {}));
    markLoading(m, target);
    startLoad(m, c.arg(1), m.toString(c.arg(0))->view(), outgoingOf(m, self, urlMethodOf(m, c.arg(2)), body));
    return Value::boolean(true);
}

// send(url[, window[, method]]): the text goes as a page request.
Value bytesLoadedMethod(NativeCall& c)
{
    Machine& m = c.machine;
    return m.get(c.thisValue, m.intern(c.callee->tag() ? "_bytesTotal" : "_bytesLoaded"));
}

Value addRequestHeaderMethod(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self)
        return Value();
    // Kept where the reference player keeps them, in _customHeaders; if
    // the movie put something else there, nothing is added.
    const Value existing = customHeaders(m, self);
    Object* headers = existing.objectOrNull();
    if (existing.isUndefined()) {
        headers = m.newArray();
        m.define(self, m.intern(kHeadersName), Value::object(headers), PropertyFlag::DontEnum | PropertyFlag::OnlySwf6Up);
    }
    // Whatever object is there takes the pairs through its own push.
    if (!headers)
        return Value();
    // Only names and values that are text are taken, a pair at a time.
    const auto pushPair = [&](const Value& name, const Value& value) {
        if (!name.isString() || !value.isString())
            return;
        const Value pair[] {name, value};
        m.callMethod(Value::object(headers), m.intern("push"), pair);
    };
    if (Object* pairs = c.arg(0).objectOrNull(); pairs && pairs->kind() == ObjectKind::Array) {
        const double n = m.toNumber(m.get(pairs, m.names().length));
        for (double i = 0; i + 1 < n && i < 65536; i += 2)
            pushPair(m.getMember(c.arg(0), Value::number(i)), m.getMember(c.arg(0), Value::number(i + 1)));
    } else if (c.count() >= 2) {
        pushPair(c.arg(0), c.arg(1));
    }
    return Value();
}

Value sendMethod(NativeCall& c)
{
    Machine& m = c.machine;
    if (!c.thisObject() || c.count() == 0)
        return Value::boolean(false);
    const UrlMethod method = urlMethodOf(m, c.arg(2));
    std::string url = m.toStdString(c.arg(0));
    if (method == UrlMethod::Get) {
        const std::string query = m.toStdString(m.callMethod(c.thisValue, m.names().toString, {}));
        if (!query.empty())
            url += (url.find('?') == std::string::npos ? "?" : "&") + query;
    }
    m.host().getUrl(url, c.count() > 1 ? m.toStdString(c.arg(1)) : std::string(), method);
    return Value::boolean(true);
}

Value defaultOnData(NativeCall& c, void (*take)(Machine&, Object*, const Value&))
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self)
        return Value();
    // A failure leaves `loaded` as it was: a load that ended well before
    // it in the same frame still counts.
    const bool arrived = !c.arg(0).isUndefined();
    if (arrived) {
        take(m, self, c.arg(0));
        m.set(self, "loaded", Value::boolean(true));
    }
    const Value args[] {Value::boolean(arrived)};
    m.callMethod(c.thisValue, m.intern("onLoad"), args);
    return Value();
}

Value ignoreOnLoad(NativeCall&)
{
    return Value();
}

void deliverLoads(Machine& machine)
{
    // What has come of loads still on their way reads through
    // getBytesLoaded and getBytesTotal between frames.
    for (const Host::LoadProgress& progress : machine.host().loadsUnderWay()) {
        Object* target = progress.clip ? nullptr : machine.hostRoot(progress.id).objectOrNull();
        if (!target || target->kind() == ObjectKind::Clip)
            continue;
        machine.define(target, "_bytesLoaded", Value::number(progress.loaded), PropertyFlag::DontEnum);
        if (progress.total > 0)
            machine.define(target, "_bytesTotal", Value::number(progress.total), PropertyFlag::DontEnum);
    }
    for (const Host::FetchResult& result : machine.host().finishedFetches()) {
        const Value target = machine.hostRoot(result.id);
        machine.removeHostRoot(result.id);
        if (!target.isObject())
            continue;
        const Value args[] {result.ok ? machine.stringValue(result.data) : Value(),
                            result.ok ? Value::number(double(result.bytes)) : Value(),
                            result.httpStatus >= 0 ? Value::number(result.httpStatus) : Value()};
        const Value deliver = Value::object(machine.newNative(deliverOne));
        machine.callFromHost(deliver, target, args);
    }
    deliverClipLoads(machine);
}

} // namespace swf::script
