#include "swf/script/classes/ClassSupport.h"

#include <cmath>

#include "swf/script/ArrayObject.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"

namespace swf::script {

Object* packageObject(Machine& machine, std::string_view path, std::uint32_t flags)
{
    Object* at = machine.global();
    while (!path.empty()) {
        const std::size_t dot = path.find('.');
        const std::string_view name = path.substr(0, dot);
        path = dot == std::string_view::npos ? std::string_view() : path.substr(dot + 1);
        String* key = machine.intern(name);
        Property* own = machine.findOwn(at, key);
        Object* next = own ? own->value.objectOrNull() : nullptr;
        if (!next) {
            next = machine.newObject();
            machine.define(at, key, Value::object(next), flags);
        }
        at = next;
    }
    return at;
}

void defineAccessor(Machine& machine, Object* target, std::string_view name, NativeFunction getter, NativeFunction setter,
                    std::uint32_t flags, int tag)
{
    Property& p = target->properties().add(machine.intern(name), Value(), flags | PropertyFlag::Accessor);
    p.getter = Value::object(makeNativeFunction(machine, getter, tag));
    p.setter = setter ? Value::object(makeNativeFunction(machine, setter, tag)) : Value::null();
    machine.heap().reaccount(target);
}

Function* defineScriptMethod(Machine& machine, Object* target, std::string_view name, NativeFunction native, std::uint32_t flags, int tag)
{
    Function* f = defineMethod(machine, target, name, native, flags, tag);
    machine.addPrototype(f);
    return f;
}

Value scriptAdd(Machine& machine, const Value& a, const Value& b)
{
    const Value x = machine.valueOfStep(a);
    const Value y = machine.valueOfStep(b);
    if (x.isString() || y.isString())
        return machine.stringValue(machine.toStdString(x.isObject() ? a : x) + machine.toStdString(y.isObject() ? b : y));
    // An object that gave no primitive is asked for its number afresh.
    return Value::number(machine.toNumber(x.isObject() ? a : x) + machine.toNumber(y.isObject() ? b : y));
}

std::string scriptText(Machine& machine, const Value& value)
{
    const Value converted = machine.valueOfStep(value);
    return machine.toStdString(converted.isObject() ? value : converted);
}

ArrayObject* makeNativeStore(Machine& machine, Object* into, std::string_view marker, std::size_t slots)
{
    std::vector<Value> values(slots);
    values[0] = Value::string(machine.intern(marker));
    ArrayObject* store = machine.newBareArray(nullptr);
    store->assign(machine, std::move(values));
    into->setPrimitive(Value::object(store));
    return store;
}

ArrayObject* nativeStore(Machine& machine, const Value& of, std::string_view marker, std::size_t slots)
{
    Object* o = of.objectOrNull();
    if (!o || o->kind() != ObjectKind::Plain)
        return nullptr;
    Object* inner = o->primitive().objectOrNull();
    if (!inner || inner->kind() != ObjectKind::Array || inner->prototype())
        return nullptr;
    auto* store = static_cast<ArrayObject*>(inner);
    if (store->denseSize() != slots || !store->dense(0).isString() || store->dense(0).asString() != machine.intern(marker))
        return nullptr;
    return store;
}

Value answerUndefined(NativeCall&)
{
    return Value();
}

Value answerFalse(NativeCall&)
{
    return Value::boolean(false);
}

Value answerNull(NativeCall&)
{
    return Value::null();
}

Value answerZero(NativeCall&)
{
    return Value::number(0);
}

} // namespace swf::script
