// String: the wrapper constructor, String.fromCharCode and the methods,
// which count characters as the calling code's version reads them.

#include <algorithm>
#include <cmath>
#include <limits>

#include "swf/script/ArrayObject.h"
#include "swf/script/Heap.h"
#include "swf/script/Machine.h"
#include "swf/script/Text.h"
#include "swf/script/classes/Builtins.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

String* self(NativeCall& c)
{
    if (Object* o = c.thisObject(); o && o->kind() == ObjectKind::String && o->primitive().isString())
        return o->primitive().asString();
    return c.machine.toString(c.thisValue);
}

Value makeString(Machine& m, std::string_view text)
{
    return m.stringValue(std::string(text));
}

Value stringConstructor(NativeCall& c)
{
    Machine& m = c.machine;
    String* value = c.count() > 0 ? m.toString(c.arg(0)) : m.heap().emptyString();
    if (!c.constructing)
        return Value::string(value);
    Object* o = c.thisObject();
    if (!o)
        return Value();
    o->setKind(ObjectKind::String);
    o->setPrimitive(Value::string(value));
    m.define(o, m.names().length, Value::number(double(text::length(value->view(), m.version()))), HP);
    return Value();
}

Value toStringMethod(NativeCall& c)
{
    if (c.thisValue.isString())
        return c.thisValue;
    Object* o = c.thisObject();
    if (o && o->kind() == ObjectKind::String)
        return o->primitive();
    return Value::string(c.machine.toString(c.thisValue));
}

Value fromCharCode(NativeCall& c)
{
    Machine& m = c.machine;
    std::string out;
    for (const Value& v : c.args) {
        const double code = m.toInteger(v);
        const std::uint32_t unit = std::uint32_t(std::fmod(std::fmod(code, 65536.0) + 65536.0, 65536.0));
        if (unit == 0)
            break;
        text::append(out, unit, m.version());
        // A zero byte ends the text, as the zero code does.
        if (out.back() == '\0') {
            out.pop_back();
            break;
        }
    }
    return m.stringValue(std::move(out));
}

Value charAt(NativeCall& c)
{
    Machine& m = c.machine;
    String* s = self(c);
    const double i = m.toInteger(c.arg(0));
    const std::size_t length = text::length(s->view(), m.version());
    if (i < 0 || i >= double(length))
        return Value::string(m.heap().emptyString());
    return makeString(m, text::substring(s->view(), std::size_t(i), 1, m.version()));
}

Value charCodeAt(NativeCall& c)
{
    Machine& m = c.machine;
    String* s = self(c);
    const double i = m.toInteger(c.arg(0));
    const std::size_t length = text::length(s->view(), m.version());
    if (i < 0 || i >= double(length))
        return Value::number(kNaN);
    return Value::number(double(text::codeAt(s->view(), std::size_t(i), m.version())));
}

Value concat(NativeCall& c)
{
    Machine& m = c.machine;
    std::string out = self(c)->text();
    for (const Value& v : c.args) {
        out += m.toString(v)->view();
        if (out.size() > Heap::kMaxStringBytes)
            m.abort("a string grew beyond what a movie may build");
    }
    return m.stringValue(std::move(out));
}

Value indexOf(NativeCall& c)
{
    Machine& m = c.machine;
    String* s = self(c);
    if (c.count() == 0)
        return Value::number(-1);
    String* needle = m.toString(c.arg(0));
    const int v = m.version();
    double from = c.count() > 1 ? m.toInteger(c.arg(1)) : 0;
    const std::size_t length = text::length(s->view(), v);
    if (from < 0)
        from = 0;
    if (from > double(length))
        return Value::number(-1);
    const std::size_t startByte = text::byteOffset(s->view(), std::size_t(from), v);
    const std::size_t at = s->view().find(needle->view(), startByte);
    if (at == std::string_view::npos)
        return Value::number(-1);
    return Value::number(double(text::length(s->view().substr(0, at), v)));
}

Value lastIndexOf(NativeCall& c)
{
    Machine& m = c.machine;
    String* s = self(c);
    if (c.count() == 0)
        return Value::number(-1);
    String* needle = m.toString(c.arg(0));
    const int v = m.version();
    std::size_t limit = std::string_view::npos;
    if (c.count() > 1) {
        const double from = m.toInteger(c.arg(1));
        if (from < 0)
            return Value::number(-1);
        limit = text::byteOffset(s->view(), std::size_t(std::min(from, 1e12)), v);
    }
    const std::size_t at = s->view().rfind(needle->view(), limit);
    if (at == std::string_view::npos)
        return Value::number(-1);
    return Value::number(double(text::length(s->view().substr(0, at), v)));
}

Value substringRange(Machine& m, String* s, double start, double end)
{
    const int v = m.version();
    const double length = double(text::length(s->view(), v));
    start = std::clamp(start, 0.0, length);
    end = std::clamp(end, 0.0, length);
    if (end <= start)
        return Value::string(m.heap().emptyString());
    return makeString(m, text::substring(s->view(), std::size_t(start), std::size_t(end - start), v));
}

Value slice(NativeCall& c)
{
    Machine& m = c.machine;
    String* s = self(c);
    const double length = double(text::length(s->view(), m.version()));
    if (c.count() == 0)
        return Value();
    double start = m.toInteger(c.arg(0));
    double end = c.arg(1).isUndefined() ? length : m.toInteger(c.arg(1));
    if (start < 0)
        start += length;
    if (end < 0)
        end += length;
    return substringRange(m, s, start, end);
}

Value substring(NativeCall& c)
{
    Machine& m = c.machine;
    String* s = self(c);
    const double length = double(text::length(s->view(), m.version()));
    if (c.count() == 0)
        return Value::string(s);
    double start = std::max(0.0, m.toInteger(c.arg(0)));
    // A start at or past the end gives nothing, whatever the other bound.
    if (start >= length)
        return Value::string(m.heap().emptyString());
    double end = c.arg(1).isUndefined() ? length : std::max(0.0, m.toInteger(c.arg(1)));
    if (end < start)
        std::swap(start, end);
    return substringRange(m, s, start, end);
}

Value substr(NativeCall& c)
{
    Machine& m = c.machine;
    String* s = self(c);
    const double length = double(text::length(s->view(), m.version()));
    if (c.count() == 0)
        return Value::string(s);
    double start = m.toInteger(c.arg(0));
    if (start < 0)
        start = std::max(0.0, start + length);
    double count = c.arg(1).isUndefined() ? length : m.toInteger(c.arg(1));
    // A negative count counts back from the end, as a negative start does.
    // Such a span that would reach the end gives nothing.
    if (count < 0) {
        count += length;
        if (start + count >= length)
            return Value::string(m.heap().emptyString());
    }
    if (count <= 0)
        return Value::string(m.heap().emptyString());
    return substringRange(m, s, start, start + count);
}

Value split(NativeCall& c)
{
    Machine& m = c.machine;
    String* s = self(c);
    const int v = m.version();
    std::vector<Value> parts;
    // No separator: the whole string; version 5 splits at commas when a
    // limit is given.
    if (c.arg(0).isUndefined() && (v >= 6 || c.arg(1).isUndefined())) {
        parts.push_back(Value::string(s));
        return Value::object(m.newArray(std::move(parts)));
    }
    String* separator = c.arg(0).isUndefined() ? m.intern(",") : m.toString(c.arg(0));
    if (v < 6 && !c.arg(1).isUndefined()) {
        // Version 5 keeps the string whole at an empty separator whatever
        // the limit, and reads any other separator a second time.
        if (separator->empty()) {
            parts.push_back(Value::string(s));
            return Value::object(m.newArray(std::move(parts)));
        }
        if (!c.arg(0).isUndefined())
            separator = m.toString(c.arg(0));
    }
    const std::string_view text = s->view();
    // The empty string splits into itself, whatever the limit, unless the
    // separator is empty too.
    if (text.empty() && v >= 6) {
        if (!separator->empty())
            parts.push_back(Value::string(s));
        return Value::object(m.newArray(std::move(parts)));
    }
    double limit = std::numeric_limits<double>::infinity();
    if (!c.arg(1).isUndefined()) {
        limit = m.toInteger(c.arg(1));
        if (limit <= 0)
            return Value::object(m.newArray(std::move(parts)));
    }
    // Version 5 splits at single characters only.
    if (v < 6 && separator->size() > 1) {
        parts.push_back(Value::string(s));
        return Value::object(m.newArray(std::move(parts)));
    }
    if (separator->empty()) {
        if (v < 6) {
            parts.push_back(Value::string(s));
        } else {
            const std::size_t n = text::length(text, v);
            for (std::size_t i = 0; i < n && double(parts.size()) < limit; ++i)
                parts.push_back(makeString(m, text::substring(text, i, 1, v)));
        }
        m.chargeWork(parts.size());
        return Value::object(m.newArray(std::move(parts)));
    }
    std::size_t start = 0;
    while (double(parts.size()) < limit) {
        const std::size_t at = text.find(separator->view(), start);
        if (at == std::string_view::npos) {
            parts.push_back(makeString(m, text.substr(start)));
            break;
        }
        parts.push_back(makeString(m, text.substr(start, at - start)));
        start = at + separator->size();
        m.chargeWork(1);
    }
    return Value::object(m.newArray(std::move(parts)));
}

// The case mapping of the first versions, which knew only ASCII; movies
// still reach it through ASnative.
std::string asciiCase(std::string_view s, bool upper)
{
    std::string out(s);
    for (char& ch : out) {
        if (upper && ch >= 'a' && ch <= 'z')
            ch = char(ch - 32);
        else if (!upper && ch >= 'A' && ch <= 'Z')
            ch = char(ch + 32);
    }
    return out;
}

Value asciiUpperCase(NativeCall& c)
{
    return c.machine.stringValue(asciiCase(self(c)->view(), true));
}

Value asciiLowerCase(NativeCall& c)
{
    return c.machine.stringValue(asciiCase(self(c)->view(), false));
}

Value toLowerCase(NativeCall& c)
{
    return c.machine.stringValue(text::toLower(self(c)->view(), c.machine.version()));
}

Value toUpperCase(NativeCall& c)
{
    return c.machine.stringValue(text::toUpper(self(c)->view(), c.machine.version()));
}

} // namespace

void installStringClass(Machine& machine)
{
    Builtins& b = machine.builtins();
    b.stringPrototype = machine.newObject();
    Object* p = b.stringPrototype;
    // The prototype is itself a String, of no characters.
    p->setKind(ObjectKind::String);
    p->setPrimitive(Value::string(machine.heap().emptyString()));
    b.stringConstructor = defineClass(machine, "String", stringConstructor, p);
    defineMethod(machine, b.stringConstructor, "fromCharCode", fromCharCode);
    defineMethod(machine, p, "valueOf", toStringMethod);
    defineMethod(machine, p, "toString", toStringMethod);
    defineMethod(machine, p, "toUpperCase", toUpperCase);
    defineMethod(machine, p, "toLowerCase", toLowerCase);
    defineMethod(machine, p, "charAt", charAt);
    defineMethod(machine, p, "charCodeAt", charCodeAt);
    defineMethod(machine, p, "concat", concat);
    defineMethod(machine, p, "indexOf", indexOf);
    defineMethod(machine, p, "lastIndexOf", lastIndexOf);
    defineMethod(machine, p, "slice", slice);
    defineMethod(machine, p, "substring", substring);
    defineMethod(machine, p, "split", split);
    defineMethod(machine, p, "substr", substr);
    registerNative(machine, 251, 0, toStringMethod);
    registerNative(machine, 251, 1, toStringMethod);
    registerNative(machine, 251, 2, toUpperCase);
    registerNative(machine, 251, 3, toLowerCase);
    registerNative(machine, 251, 4, charAt);
    registerNative(machine, 251, 5, charCodeAt);
    registerNative(machine, 251, 6, concat);
    registerNative(machine, 251, 7, indexOf);
    registerNative(machine, 251, 8, lastIndexOf);
    registerNative(machine, 251, 9, slice);
    registerNative(machine, 251, 10, substring);
    registerNative(machine, 251, 11, split);
    registerNative(machine, 251, 12, substr);
    registerNative(machine, 251, 14, fromCharCode);
    registerNative(machine, 102, 0, asciiUpperCase);
    registerNative(machine, 102, 1, asciiLowerCase);
}

} // namespace swf::script
