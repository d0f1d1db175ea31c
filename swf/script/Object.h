#pragma once

// A script object: ordered own properties with flags, a prototype link,
// and for the built-in kinds (Boolean, Number, String wrappers, dates) an
// inner primitive. What reading or writing a property means in full —
// getters, setters, watchers, __resolve, prototypes — lives in the
// machine; an object only stores.

#include <cstdint>
#include <memory>
#include <vector>

#include "swf/script/Cell.h"
#include "swf/script/PropertyMap.h"
#include "swf/script/Value.h"

namespace swf::script {

class Machine;

enum class ObjectKind : std::uint8_t {
    Plain,
    Function,
    Array,
    Clip,
    Boolean,
    Number,
    String,
    Date,
    Super,
    Arguments,
    Error,
};

// A watch() registration: the callback sees the old and new value and
// returns the one stored.
struct Watcher {
    String* key = nullptr;
    Value callback;
    Value userData;
    bool running = false; // a watcher does not fire for its own writes
};

class Object : public Cell {
public:
    explicit Object(Object* prototype, ObjectKind kind = ObjectKind::Plain)
        : m_prototype(prototype)
        , m_kind(kind)
        , m_hasPrototypeProperty(prototype != nullptr)
    {
    }

    ObjectKind kind() const { return m_kind; }
    void setKind(ObjectKind kind) { m_kind = kind; }
    bool isFunction() const { return m_kind == ObjectKind::Function; }

    // The `__proto__` link. Kept out of the property map because every
    // lookup walks it; the flags say whether the property is there at all
    // (it can be deleted) and how ASSetPropFlags left it.
    // From version 7, deleting the property leaves the link lookups follow
    // (only reading `__proto__` finds nothing); before, it cuts the link.
    Object* prototype() const { return m_prototype; }
    Value prototypeValue() const { return m_hasPrototypeProperty ? prototypeAsValue() : Value(); }
    void setPrototypeValue(const Value& value);
    bool hasPrototypeProperty() const { return m_hasPrototypeProperty; }
    void removePrototypeProperty(bool keepLink)
    {
        m_hasPrototypeProperty = false;
        if (!keepLink) {
            m_prototype = nullptr;
            m_prototypeOther = Value();
        }
    }
    std::uint32_t prototypeFlags() const { return m_prototypeFlags; }
    void setPrototypeFlags(std::uint32_t flags) { m_prototypeFlags = flags; }

    PropertyMap& properties() { return m_properties; }
    const PropertyMap& properties() const { return m_properties; }

    // The inner value of wrappers and dates.
    const Value& primitive() const { return m_primitive; }
    void setPrimitive(const Value& value) { m_primitive = value; }

    std::vector<Watcher>* watchers() { return m_watchers.get(); }
    std::vector<Watcher>& ensureWatchers();

    // Interfaces a class's prototype declares it implements (ImplementsOp).
    const std::vector<Object*>* interfaces() const { return m_interfaces.get(); }
    void setInterfaces(std::vector<Object*> interfaces);

    // Objects whose properties are partly computed (arrays' elements and
    // length, clips' _x and friends) answer here before the map is tried.
    bool hasSpecialProperties() const { return m_special; }
    virtual bool getSpecial(Machine&, String*, Value&) { return false; }
    // Asked after the object's own properties and before its prototype's
    // (a clip's children by name).
    virtual bool getAfterOwn(Machine&, String*, Value&) { return false; }
    // True when the write was taken; `handled` false lets it go on to the map.
    virtual bool setSpecial(Machine&, String*, const Value&) { return false; }
    virtual bool deleteSpecial(Machine&, String*) { return false; }
    // Names of computed properties that enumerate, in the order for..in
    // lists them before the map's.
    virtual void specialKeys(Machine&, std::vector<Value>&) { }

    void trace(Tracer& tracer) override;
    std::size_t extraBytes() const override { return m_properties.heapBytes(); }

protected:
    void setHasSpecialProperties() { m_special = true; }

private:
    Value prototypeAsValue() const { return m_prototype ? Value::object(m_prototype) : m_prototypeOther; }

    PropertyMap m_properties;
    Object* m_prototype = nullptr;
    // `__proto__` set to something that is not an object.
    Value m_prototypeOther;
    Value m_primitive;
    std::unique_ptr<std::vector<Watcher>> m_watchers;
    std::unique_ptr<std::vector<Object*>> m_interfaces;
    std::uint32_t m_prototypeFlags = PropertyFlag::DontEnum | PropertyFlag::DontDelete;
    ObjectKind m_kind;
    bool m_hasPrototypeProperty;
    bool m_special = false;
};

} // namespace swf::script
