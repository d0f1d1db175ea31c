#pragma once

// Functions: natives written in C++, and script functions made by
// DefineFunction and DefineFunction2, which keep their body, the scope
// chain and constant pool they were defined with, and the clip whose
// timeline defined them.

#include <cstdint>
#include <span>

#include "swf/script/Object.h"
#include "swf/script/Program.h"

namespace swf::script {

class Function;
class Machine;
class Scope;

// What a native sees of its call.
struct NativeCall {
    Machine& machine;
    Value thisValue;
    std::span<const Value> args;
    Function* callee = nullptr;
    bool constructing = false;

    std::size_t count() const { return args.size(); }
    Value arg(std::size_t i) const { return i < args.size() ? args[i] : Value(); }
    Object* thisObject() const { return thisValue.objectOrNull(); }
};

using NativeFunction = Value (*)(NativeCall&);

class Function final : public Object {
public:
    // A native; `tag` lets one C++ function serve several script names.
    Function(Object* prototype, NativeFunction native, int tag = 0)
        : Object(prototype, ObjectKind::Function)
        , m_native(native)
        , m_tag(tag)
    {
    }

    // A script function.
    Function(Object* prototype, Program* owner, const FunctionTemplate* code, Scope* scope, ConstantPool* pool, Object* definingTarget)
        : Object(prototype, ObjectKind::Function)
        , m_owner(owner)
        , m_code(code)
        , m_scope(scope)
        , m_pool(pool)
        , m_definingTarget(definingTarget)
    {
    }

    bool isNative() const { return m_native != nullptr; }
    NativeFunction native() const { return m_native; }
    int tag() const { return m_tag; }

    const FunctionTemplate& code() const { return *m_code; }
    Program* body() const { return m_code->body; }
    int version() const { return m_owner->version; }
    Scope* scope() const { return m_scope; }
    ConstantPool* pool() const { return m_pool; }
    Object* definingTarget() const { return m_definingTarget; }

    // `new` on this native makes an Array for it to fill, not a plain
    // object.
    bool constructsArrays() const { return m_constructsArrays; }
    void setConstructsArrays() { m_constructsArrays = true; }
    // Natives that hold no cells of their own while script they call runs
    // (call, apply): the collector may run inside them.
    bool isTransparent() const { return m_transparent; }
    void setTransparent() { m_transparent = true; }

    void trace(Tracer& tracer) override;

private:
    NativeFunction m_native = nullptr;
    int m_tag = 0;
    Program* m_owner = nullptr;
    const FunctionTemplate* m_code = nullptr;
    Scope* m_scope = nullptr;
    ConstantPool* m_pool = nullptr;
    Object* m_definingTarget = nullptr;
    bool m_constructsArrays = false;
    bool m_transparent = false;
};

} // namespace swf::script
