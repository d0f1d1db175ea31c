// The functions every movie finds on _global: ASSetPropFlags, ASnative,
// ASSetNative, escape and unescape, parseInt and parseFloat, isNaN and
// isFinite, the timers, and the constants NaN and Infinity.

#include <cmath>
#include <limits>

#include "swf/script/ArrayObject.h"
#include "swf/script/ClipObject.h"
#include "swf/script/Machine.h"
#include "swf/script/NumberParse.h"
#include "swf/script/Text.h"
#include "swf/script/Timers.h"
#include "swf/script/classes/Builtins.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The names ASSetPropFlags is asked about: a comma-separated string or
// an array of names.
std::vector<String*> propertyList(Machine& m, const Value& list)
{
    std::vector<String*> names;
    if (Object* array = list.objectOrNull()) {
        const double length = m.toNumber(m.get(array, m.names().length));
        const std::size_t n = length > 0 ? std::size_t(std::min(length, 1e6)) : 0;
        m.chargeWork(n);
        for (std::size_t i = 0; i < n; ++i)
            names.push_back(m.toKey(m.getMember(list, Value::number(double(i)))));
        return names;
    }
    const std::string text = m.toStdString(list);
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string::npos)
            comma = text.size();
        names.push_back(m.intern(std::string_view(text).substr(start, comma - start)));
        start = comma + 1;
    }
    return names;
}

Value asSetPropFlags(NativeCall& c)
{
    Machine& m = c.machine;
    Object* object = c.arg(0).objectOrNull();
    if (!object || c.count() < 3)
        return Value();
    if (object->kind() == ObjectKind::Clip && !(object = m.resolveClip(object)))
        return Value();
    const std::uint32_t set = m.toUInt32(c.arg(2)) & PropertyFlag::Settable;
    const std::uint32_t clear = c.count() > 3 ? m.toUInt32(c.arg(3)) & PropertyFlag::Settable : 0;
    const auto apply = [&](std::uint32_t flags) { return ((flags & ~clear) | set) | (flags & ~PropertyFlag::Settable); };
    if (c.arg(1).isNull()) {
        for (Property& p : object->properties())
            p.flags = apply(p.flags);
        if (object->hasPrototypeProperty())
            object->setPrototypeFlags(apply(object->prototypeFlags()));
        return Value();
    }
    for (String* name : propertyList(m, c.arg(1))) {
        if (name == m.names().proto || (!m.caseSensitive() && name->folded() == m.names().proto)) {
            if (object->hasPrototypeProperty())
                object->setPrototypeFlags(apply(object->prototypeFlags()));
            continue;
        }
        // Flags reach properties a version hides, too.
        if (Property* p = object->properties().find(name, m.caseSensitive()))
            p->flags = apply(p->flags);
    }
    return Value();
}

Value asNative(NativeCall& c)
{
    const double table = c.machine.toInteger(c.arg(0));
    const double index = c.machine.toInteger(c.arg(1));
    if (!(table >= 0 && table < 100000 && index >= 0 && index < 100000))
        return Value();
    Function* f = lookupNative(c.machine, int(table), int(index));
    return f ? Value::object(f) : Value();
}

// ASSetNative(object, table, "a,b,...", first): each name in the list is
// given the native at (table, first + its place), counted from 0 when no
// first is given. A name starting with 6 to 9 is seen only by movies of
// at least that version, and loses the digit; other digits stay in it.
Value asSetNative(NativeCall& c)
{
    Machine& m = c.machine;
    Object* object = c.arg(0).objectOrNull();
    if (!object || c.count() < 3)
        return Value();
    const double table = m.toInteger(c.arg(1));
    const double first = c.count() > 3 ? m.toInteger(c.arg(3)) : 0;
    if (!(table >= 0 && table < 100000 && first >= 0 && first < 100000))
        return Value();
    const std::string list = m.toStdString(c.arg(2));
    std::size_t start = 0;
    for (int index = int(first); start <= list.size() && index < 100000; ++index) {
        std::size_t comma = list.find(',', start);
        if (comma == std::string::npos)
            comma = list.size();
        std::string_view name = std::string_view(list).substr(start, comma - start);
        start = comma + 1;
        std::uint32_t flags = 0;
        if (!name.empty()) {
            switch (name.front()) {
            case '6': flags = PropertyFlag::OnlySwf6Up; break;
            case '7': flags = PropertyFlag::OnlySwf7Up; break;
            case '8': flags = PropertyFlag::OnlySwf8Up; break;
            case '9': flags = PropertyFlag::OnlySwf9Up; break;
            default: break;
            }
            if (flags)
                name.remove_prefix(1);
        }
        m.chargeWork(1);
        Function* native = lookupNative(m, int(table), index);
        m.define(object, name, native ? Value::object(native) : Value(), flags);
    }
    return Value();
}

bool keptByEscape(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

Value escape(NativeCall& c)
{
    if (c.count() == 0)
        return Value();
    const String* in = c.machine.toString(c.arg(0));
    static const char* kHex = "0123456789ABCDEF";
    std::string out;
    out.reserve(in->size());
    for (unsigned char ch : in->view()) {
        if (keptByEscape(ch)) {
            out += char(ch);
        } else {
            out += '%';
            out += kHex[ch >> 4];
            out += kHex[ch & 15];
        }
    }
    return c.machine.stringValue(std::move(out));
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The length of the well-formed UTF-8 sequence at the start of s, or 0.
std::size_t utf8Sequence(std::string_view s)
{
    const auto lead = static_cast<unsigned char>(s[0]);
    const std::size_t n = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF8 ? 4 : 0;
    if (n == 0 || s.size() < n)
        return 0;
    std::uint32_t code = lead & (0x7F >> n);
    for (std::size_t i = 1; i < n; ++i) {
        const auto next = static_cast<unsigned char>(s[i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        code = code << 6 | (next & 0x3F);
    }
    const std::uint32_t least = n == 2 ? 0x80 : n == 3 ? 0x800 : 0x10000;
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000))
        return 0;
    return n;
}

// unescape: %XX gives the byte XX and + a space. A % with a character
// that is no hex digit after it drops both (only the % before a non-ASCII
// byte, from version 6). A % too near the end, a bad second digit or a
// decoded zero ends the text: version 5 then gives undefined, for the
// first two, and later versions what came before. From version 6 the
// bytes are read as UTF-8, a stray continuation byte as the character of
// that code, and a broken sequence ends the text.
Value unescape(NativeCall& c)
{
    if (c.count() == 0)
        return Value();
    Machine& m = c.machine;
    const bool utf8 = m.version() >= 6;
    const std::string_view in = m.toString(c.arg(0))->view();
    std::string bytes;
    bytes.reserve(in.size());
    for (std::size_t i = 0; i < in.size();) {
        const char ch = in[i];
        if (ch != '%') {
            bytes += ch == '+' ? ' ' : ch;
            ++i;
            continue;
        }
        if (in.size() - i < 3) {
            if (!utf8)
                return Value();
            break;
        }
        const auto first = static_cast<unsigned char>(in[i + 1]);
        if (utf8 && first >= 0x80) {
            ++i;
            continue;
        }
        const int high = hexValue(char(first));
        if (high < 0) {
            i += 2;
            continue;
        }
        const auto second = static_cast<unsigned char>(in[i + 2]);
        if (utf8 && second >= 0x80) {
            i += 2;
            continue;
        }
        const int low = hexValue(char(second));
        if (low < 0) {
            if (!utf8)
                return Value();
            break;
        }
        bytes += char(high * 16 + low);
        i += 3;
    }
    if (const std::size_t zero = bytes.find('\0'); zero != std::string::npos)
        bytes.resize(zero);
    if (!utf8)
        return m.stringValue(std::move(bytes));
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0xC0) {
            text::append(out, b, 6);
            ++i;
            continue;
        }
        const std::size_t n = utf8Sequence(std::string_view(bytes).substr(i));
        if (n == 0)
            break;
        out.append(bytes, i, n);
        i += n;
    }
    return m.stringValue(std::move(out));
}

Value parseIntFunction(NativeCall& c)
{
    if (c.count() == 0)
        return Value::number(kNaN);
    const String* text = c.machine.toString(c.arg(0));
    int radix = 0;
    if (c.count() > 1) {
        const double r = c.machine.toInteger(c.arg(1));
        if (r < 2 || r > 36)
            return Value::number(kNaN);
        radix = int(r);
    }
    return Value::number(parseIntText(text->view(), radix));
}

Value parseFloatFunction(NativeCall& c)
{
    // Unlike parseInt, nothing to read is undefined.
    if (c.count() == 0)
        return Value();
    return Value::number(parseFloatText(c.machine.toString(c.arg(0))->view()));
}

Value isNaNFunction(NativeCall& c)
{
    return Value::boolean(std::isnan(c.machine.toNumber(c.arg(0))));
}

Value isFiniteFunction(NativeCall& c)
{
    return Value::boolean(std::isfinite(c.machine.toNumber(c.arg(0))));
}

// setInterval(function, ms, args...) or setInterval(object, "method", ms, args...)
Value addTimer(NativeCall& c, bool repeat)
{
    Machine& m = c.machine;
    if (c.count() < 2)
        return Value();
    Value function;
    Value object;
    String* method = nullptr;
    std::size_t next = 1;
    if (c.arg(0).isObject() && c.arg(0).asObject()->isFunction()) {
        function = c.arg(0);
    } else if (c.arg(0).isObject() && c.count() >= 3) {
        object = c.arg(0);
        method = m.toKey(c.arg(1));
        next = 2;
    } else {
        return Value();
    }
    const double interval = m.toNumber(c.arg(next));
    std::vector<Value> args(c.args.begin() + std::ptrdiff_t(next + 1), c.args.end());
    const int id = m.timers().add(function, object, method, interval, std::move(args), repeat);
    return id ? Value::number(id) : Value();
}

Value setIntervalFunction(NativeCall& c)
{
    return addTimer(c, true);
}

Value setTimeoutFunction(NativeCall& c)
{
    return addTimer(c, false);
}

Value clearTimer(NativeCall& c)
{
    const double id = c.machine.toNumber(c.arg(0));
    if (std::isfinite(id))
        c.machine.timers().clear(int(id));
    return Value();
}

Value doNothing(NativeCall&)
{
    return Value();
}

} // namespace

void installGlobalFunctions(Machine& machine)
{
    Object* global = machine.global();
    defineMethod(machine, global, "ASSetPropFlags", asSetPropFlags, H);
    defineMethod(machine, global, "ASnative", asNative, H);
    defineMethod(machine, global, "ASSetNative", asSetNative, H);
    defineMethod(machine, global, "escape", escape, H);
    defineMethod(machine, global, "unescape", unescape, H);
    defineMethod(machine, global, "parseInt", parseIntFunction, H);
    defineMethod(machine, global, "parseFloat", parseFloatFunction, H);
    defineMethod(machine, global, "isNaN", isNaNFunction, H);
    defineMethod(machine, global, "isFinite", isFiniteFunction, H);
    defineMethod(machine, global, "setInterval", setIntervalFunction, H);
    defineMethod(machine, global, "clearInterval", clearTimer, H);
    defineMethod(machine, global, "setTimeout", setTimeoutFunction, H);
    defineMethod(machine, global, "clearTimeout", clearTimer, H);
    defineMethod(machine, global, "updateAfterEvent", doNothing, H);
    machine.define(global, "NaN", Value::number(kNaN), H);
    machine.define(global, "Infinity", Value::number(std::numeric_limits<double>::infinity()), H);
    // The reference player's _global holds a hidden `o`, null, that movies
    // listing its globals find.
    machine.define(global, "o", Value::null(), H);

    registerNative(machine, 1, 0, asSetPropFlags);
    registerNative(machine, 100, 0, escape);
    registerNative(machine, 100, 1, unescape);
    registerNative(machine, 100, 2, parseIntFunction);
    registerNative(machine, 100, 3, parseFloatFunction);
    registerNative(machine, 200, 18, isNaNFunction);
    registerNative(machine, 200, 19, isFiniteFunction);
    registerNative(machine, 250, 0, setIntervalFunction);
    registerNative(machine, 250, 1, clearTimer);
}

} // namespace swf::script
