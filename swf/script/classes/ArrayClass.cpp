// Array: the constructor and every method, sort and sortOn with their
// flags. The methods work on any object with a length, as the reference
// player's do; real arrays take the quick way.

#include <algorithm>
#include <cmath>

#include "swf/script/ArrayObject.h"
#include "swf/script/Heap.h"
#include "swf/script/Machine.h"
#include "swf/script/NumberFormat.h"
#include "swf/script/classes/Builtins.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

namespace SortFlag {
constexpr int CaseInsensitive = 1;
constexpr int Descending = 2;
constexpr int UniqueSort = 4;
constexpr int ReturnIndexedArray = 8;
constexpr int Numeric = 16;
} // namespace SortFlag

// Element access over an Array or any object that has a length.
class Elements {
public:
    Elements(Machine& machine, const Value& self)
        : m(machine)
        , m_object(self.objectOrNull())
        , m_array(m_object && m_object->kind() == ObjectKind::Array ? static_cast<ArrayObject*>(m_object) : nullptr)
    {
    }

    bool valid() const { return m_object != nullptr; }
    Object* object() const { return m_object; }

    std::uint32_t length()
    {
        if (m_array)
            return m_array->length();
        if (!m_object)
            return 0;
        const double n = m.toInteger(m.get(m_object, m.names().length));
        return n > 0 ? std::uint32_t(std::min(n, 4294967295.0)) : 0;
    }
    Value get(std::uint32_t i)
    {
        if (m_array) {
            Value v;
            return m_array->getIndex(m, i, v) ? v : Value();
        }
        return m.getMember(Value::object(m_object), Value::number(i));
    }
    void set(std::uint32_t i, const Value& v)
    {
        if (m_array)
            m_array->setIndex(m, i, v);
        else if (m_object)
            m.setMember(Value::object(m_object), Value::number(i), v);
    }
    void remove(std::uint32_t i)
    {
        if (m_object)
            m.remove(m_object, m.toKey(Value::number(i)));
    }
    void setLength(double n)
    {
        if (m_array)
            m_array->setLength(m, n);
        else if (m_object)
            m.set(m_object, m.names().length, Value::number(n));
    }
    // All elements, counted against the run's budget.
    std::vector<Value> all()
    {
        const std::uint32_t n = length();
        m.chargeWork(n);
        std::vector<Value> out;
        out.reserve(std::min<std::uint32_t>(n, 1u << 20));
        for (std::uint32_t i = 0; i < n; ++i)
            out.push_back(get(i));
        return out;
    }
    void replaceAll(std::vector<Value> values)
    {
        if (m_array) {
            m_array->assign(m, std::move(values));
            return;
        }
        const std::uint32_t old = length();
        for (std::uint32_t i = 0; i < values.size(); ++i)
            set(i, values[i]);
        for (std::uint32_t i = std::uint32_t(values.size()); i < old; ++i)
            remove(i);
        setLength(double(values.size()));
    }

private:
    Machine& m;
    Object* m_object;
    ArrayObject* m_array;
};

double relativeIndex(Machine& m, const Value& v, std::uint32_t length, double fallback)
{
    if (v.isUndefined())
        return fallback;
    double i = m.toInteger(v);
    if (i < 0)
        i = std::max(0.0, double(length) + i);
    return std::min(i, double(length));
}

Value arrayConstructor(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.constructing ? c.thisObject() : nullptr;
    ArrayObject* array = self && self->kind() == ObjectKind::Array ? static_cast<ArrayObject*>(self) : m.newArray();
    if (c.count() == 1 && c.args[0].isNumber()) {
        const double n = c.args[0].asNumber();
        array->setLength(m, n >= 0 && n < 4294967295.0 ? std::floor(n) : 0);
    } else {
        array->assign(m, std::vector<Value>(c.args.begin(), c.args.end()));
    }
    return Value::object(array);
}

Value push(NativeCall& c)
{
    Machine& m = c.machine;
    Elements e(m, c.thisValue);
    if (!e.valid())
        return Value();
    if (Object* o = e.object(); o->kind() == ObjectKind::Array) {
        auto* array = static_cast<ArrayObject*>(o);
        for (const Value& v : c.args)
            array->push(m, v);
        return Value::number(array->length());
    }
    std::uint32_t n = e.length();
    for (const Value& v : c.args)
        e.set(n++, v);
    e.setLength(n);
    return Value::number(n);
}

Value pop(NativeCall& c)
{
    Elements e(c.machine, c.thisValue);
    if (!e.valid())
        return Value();
    const std::uint32_t n = e.length();
    if (n == 0) {
        e.setLength(0);
        return Value();
    }
    const Value last = e.get(n - 1);
    e.remove(n - 1);
    e.setLength(n - 1);
    return last;
}

Value shift(NativeCall& c)
{
    Elements e(c.machine, c.thisValue);
    if (!e.valid())
        return Value();
    std::vector<Value> all = e.all();
    if (all.empty())
        return Value();
    const Value first = all.front();
    all.erase(all.begin());
    e.replaceAll(std::move(all));
    return first;
}

Value unshift(NativeCall& c)
{
    Elements e(c.machine, c.thisValue);
    if (!e.valid())
        return Value();
    std::vector<Value> all = e.all();
    all.insert(all.begin(), c.args.begin(), c.args.end());
    const double n = double(all.size());
    e.replaceAll(std::move(all));
    return Value::number(n);
}

std::string joinElements(Machine& m, Elements& e, std::string_view separator)
{
    std::string out;
    const std::uint32_t n = e.length();
    m.chargeWork(n);
    for (std::uint32_t i = 0; i < n; ++i) {
        if (i)
            out += separator;
        out += m.toString(e.get(i))->view();
        if (out.size() > Heap::kMaxStringBytes)
            m.abort("a string grew beyond what a movie may build");
    }
    return out;
}

Value join(NativeCall& c)
{
    Machine& m = c.machine;
    Elements e(m, c.thisValue);
    if (!e.valid())
        return Value();
    const std::string separator = c.arg(0).isUndefined() ? std::string(",") : m.toStdString(c.arg(0));
    return m.stringValue(joinElements(m, e, separator));
}

Value toStringMethod(NativeCall& c)
{
    Elements e(c.machine, c.thisValue);
    if (!e.valid())
        return Value();
    return c.machine.stringValue(joinElements(c.machine, e, ","));
}

Value reverse(NativeCall& c)
{
    Elements e(c.machine, c.thisValue);
    if (!e.valid())
        return Value();
    std::vector<Value> all = e.all();
    std::reverse(all.begin(), all.end());
    e.replaceAll(std::move(all));
    return c.thisValue;
}

Value concat(NativeCall& c)
{
    Machine& m = c.machine;
    Elements e(m, c.thisValue);
    std::vector<Value> out = e.valid() ? e.all() : std::vector<Value>();
    for (const Value& v : c.args) {
        if (Object* o = v.objectOrNull(); o && o->kind() == ObjectKind::Array) {
            Elements other(m, v);
            for (Value& x : other.all())
                out.push_back(x);
        } else {
            out.push_back(v);
        }
        m.chargeWork(out.size());
    }
    return Value::object(m.newArray(std::move(out)));
}

Value slice(NativeCall& c)
{
    Machine& m = c.machine;
    Elements e(m, c.thisValue);
    if (!e.valid())
        return Value();
    const std::uint32_t n = e.length();
    const double start = relativeIndex(m, c.arg(0), n, 0);
    const double end = relativeIndex(m, c.arg(1), n, n);
    std::vector<Value> out;
    for (double i = start; i < end; ++i)
        out.push_back(e.get(std::uint32_t(i)));
    m.chargeWork(out.size());
    return Value::object(m.newArray(std::move(out)));
}

Value splice(NativeCall& c)
{
    Machine& m = c.machine;
    Elements e(m, c.thisValue);
    if (!e.valid() || c.count() == 0)
        return Value();
    std::vector<Value> all = e.all();
    const std::uint32_t n = std::uint32_t(all.size());
    const std::size_t start = std::size_t(relativeIndex(m, c.arg(0), n, 0));
    std::size_t count = n - start;
    if (c.count() > 1) {
        const double d = m.toInteger(c.arg(1));
        if (d < 0)
            return Value();
        count = std::size_t(std::min(d, double(n - start)));
    }
    std::vector<Value> removed(all.begin() + std::ptrdiff_t(start), all.begin() + std::ptrdiff_t(start + count));
    all.erase(all.begin() + std::ptrdiff_t(start), all.begin() + std::ptrdiff_t(start + count));
    if (c.count() > 2)
        all.insert(all.begin() + std::ptrdiff_t(start), c.args.begin() + 2, c.args.end());
    e.replaceAll(std::move(all));
    return Value::object(m.newArray(std::move(removed)));
}

// The reference player's quicksort, comparison for comparison, since a
// movie's compare function sees every call: the first element of a range
// is its pivot, the two scans meet, the pivot goes between, and the lower
// part is sorted before the upper. `compare(pivot, other)` answers < 0,
// 0 or > 0. Ranges wait on a list rather than the native stack, and every
// index stays inside the array whatever a comparison answers.
template<typename Compare>
void quicksort(std::vector<std::size_t>& order, Compare compare)
{
    if (order.size() < 2)
        return;
    std::vector<std::pair<std::size_t, std::size_t>> ranges {{0, order.size() - 1}};
    while (!ranges.empty()) {
        const auto [lo, hi] = ranges.back();
        ranges.pop_back();
        if (hi <= lo)
            continue;
        const std::size_t pivot = order[lo];
        std::size_t i = lo + 1;
        std::size_t j = hi;
        for (;;) {
            while (i < j && compare(pivot, order[i]) > 0)
                ++i;
            while (j > lo && compare(pivot, order[j]) <= 0)
                --j;
            if (i >= j)
                break;
            std::swap(order[i], order[j]);
        }
        std::swap(order[lo], order[j]);
        ranges.emplace_back(j + 1, hi);
        if (j > lo)
            ranges.emplace_back(lo, j - 1);
    }
}

// The default order: as strings (or numbers, with NUMERIC), undefined
// last.
int compareValues(Machine& m, const Value& a, const Value& b, int flags)
{
    if (a.isUndefined() || b.isUndefined())
        return a.isUndefined() == b.isUndefined() ? 0 : a.isUndefined() ? 1 : -1;
    if (flags & SortFlag::Numeric) {
        if (a.isNumber() && b.isNumber()) {
            const double x = a.asNumber();
            const double y = b.asNumber();
            return x < y ? -1 : x > y ? 1 : 0;
        }
    }
    std::string x = m.toStdString(a);
    std::string y = m.toStdString(b);
    if (flags & SortFlag::CaseInsensitive) {
        for (char& ch : x)
            ch = char(std::tolower(static_cast<unsigned char>(ch)));
        for (char& ch : y)
            ch = char(std::tolower(static_cast<unsigned char>(ch)));
    }
    const int r = x.compare(y);
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

Value finishSort(Machine& m, Elements& e, RootedValues& values, std::vector<std::size_t>& order, int flags, bool anyEqual,
                 const Value& self)
{
    if ((flags & SortFlag::UniqueSort) && anyEqual)
        return Value::number(0);
    if (flags & SortFlag::ReturnIndexedArray) {
        std::vector<Value> indices;
        for (std::size_t i : order)
            indices.push_back(Value::number(double(i)));
        return Value::object(m.newArray(std::move(indices)));
    }
    // Only elements that moved are written back: the reference player's
    // sort leaves the others alone, which a compare function that changes
    // the array can tell.
    for (std::size_t k = 0; k < order.size(); ++k)
        if (order[k] != k)
            e.set(std::uint32_t(k), values[order[k]]);
    return self;
}

Value sort(NativeCall& c)
{
    Machine& m = c.machine;
    Elements e(m, c.thisValue);
    if (!e.valid())
        return Value();
    Value compare;
    int flags = 0;
    if (c.arg(0).isObject() && c.arg(0).asObject()->isFunction()) {
        compare = c.arg(0);
        flags = c.count() > 1 ? int(m.toInteger(c.arg(1))) : 0;
    } else if (c.count() > 0) {
        flags = int(m.toInteger(c.arg(0)));
    }
    RootedValues values(m.heap());
    values.values() = e.all();
    values.push_back(compare);
    const std::size_t n = values.size() - 1;
    std::vector<std::size_t> order(n);
    for (std::size_t i = 0; i < n; ++i)
        order[i] = i;
    bool anyEqual = false;
    const bool descending = flags & SortFlag::Descending;
    quicksort(order, [&](std::size_t x, std::size_t y) {
        m.chargeWork(1);
        int r;
        if (!compare.isUndefined()) {
            const Value args[] {values[x], values[y]};
            const double d = m.toNumber(m.call(compare, Value(), args));
            r = d < 0 ? -1 : d > 0 ? 1 : 0;
        } else {
            r = compareValues(m, values[x], values[y], flags);
        }
        if (r == 0 && compare.isUndefined())
            anyEqual = true;
        return r;
    });
    // With a compare function, uniqueness is judged afterwards, between
    // neighbours, by the default comparison.
    if ((flags & SortFlag::UniqueSort) && !compare.isUndefined()) {
        for (std::size_t k = 0; k + 1 < order.size() && !anyEqual; ++k)
            anyEqual = compareValues(m, values[order[k]], values[order[k + 1]], flags) == 0;
    }
    // Descending order is the ascending one read backwards.
    if (descending)
        std::reverse(order.begin(), order.end());
    return finishSort(m, e, values, order, flags, anyEqual, c.thisValue);
}

Value sortOn(NativeCall& c)
{
    Machine& m = c.machine;
    Elements e(m, c.thisValue);
    if (!e.valid() || c.count() == 0)
        return Value();
    std::vector<String*> fields;
    std::vector<int> fieldFlags;
    const int commonFlags = c.count() > 1 && !c.arg(1).isObject() ? int(m.toInteger(c.arg(1))) : 0;
    if (Object* list = c.arg(0).objectOrNull(); list && list->kind() == ObjectKind::Array) {
        Elements names(m, c.arg(0));
        for (const Value& v : names.all())
            fields.push_back(m.toKey(v));
        if (Object* options = c.arg(1).objectOrNull(); options && options->kind() == ObjectKind::Array) {
            Elements o(m, c.arg(1));
            for (const Value& v : o.all())
                fieldFlags.push_back(int(m.toInteger(v)));
        }
    } else {
        fields.push_back(m.toKey(c.arg(0)));
    }
    if (fieldFlags.size() != fields.size())
        fieldFlags.assign(fields.size(), commonFlags);
    RootedValues values(m.heap());
    values.values() = e.all();
    const std::size_t n = values.size();
    std::vector<std::size_t> order(n);
    for (std::size_t i = 0; i < n; ++i)
        order[i] = i;
    bool anyEqual = false;
    quicksort(order, [&](std::size_t x, std::size_t y) {
        m.chargeWork(1);
        for (std::size_t f = 0; f < fields.size(); ++f) {
            const Value a = values[x].isObject() ? m.get(values[x], fields[f]) : Value();
            const Value b = values[y].isObject() ? m.get(values[y], fields[f]) : Value();
            const int r = compareValues(m, a, b, fieldFlags[f]);
            if (r != 0)
                return (fieldFlags.size() > 1 && (fieldFlags[f] & SortFlag::Descending)) ? -r : r;
        }
        anyEqual = true;
        return 0;
    });
    if (fieldFlags.size() == 1 && (fieldFlags[0] & SortFlag::Descending))
        std::reverse(order.begin(), order.end());
    return finishSort(m, e, values, order, commonFlags | (fieldFlags.empty() ? 0 : fieldFlags[0]), anyEqual, c.thisValue);
}

} // namespace

void installArrayClass(Machine& machine)
{
    Builtins& b = machine.builtins();
    b.arrayPrototype = machine.newObject();
    Function* array = defineClass(machine, "Array", arrayConstructor, b.arrayPrototype);
    array->setConstructsArrays();
    b.arrayConstructor = array;
    Object* p = b.arrayPrototype;
    defineMethod(machine, p, "push", push);
    defineMethod(machine, p, "pop", pop);
    defineMethod(machine, p, "concat", concat);
    defineMethod(machine, p, "shift", shift);
    defineMethod(machine, p, "unshift", unshift);
    defineMethod(machine, p, "slice", slice);
    defineMethod(machine, p, "join", join);
    defineMethod(machine, p, "splice", splice);
    defineMethod(machine, p, "toString", toStringMethod);
    defineMethod(machine, p, "sort", sort);
    defineMethod(machine, p, "reverse", reverse);
    defineMethod(machine, p, "sortOn", sortOn);
    machine.define(array, "CASEINSENSITIVE", Value::number(SortFlag::CaseInsensitive), 0);
    machine.define(array, "DESCENDING", Value::number(SortFlag::Descending), 0);
    machine.define(array, "UNIQUESORT", Value::number(SortFlag::UniqueSort), 0);
    machine.define(array, "RETURNINDEXEDARRAY", Value::number(SortFlag::ReturnIndexedArray), 0);
    machine.define(array, "NUMERIC", Value::number(SortFlag::Numeric), 0);
    registerNative(machine, 252, 0, push);
    registerNative(machine, 252, 1, pop);
    registerNative(machine, 252, 2, concat);
    registerNative(machine, 252, 3, shift);
    registerNative(machine, 252, 4, unshift);
    registerNative(machine, 252, 5, slice);
    registerNative(machine, 252, 6, join);
    registerNative(machine, 252, 7, splice);
    registerNative(machine, 252, 8, toStringMethod);
    registerNative(machine, 252, 9, sort);
    registerNative(machine, 252, 11, reverse);
    registerNative(machine, 252, 12, sortOn);
}

} // namespace swf::script
