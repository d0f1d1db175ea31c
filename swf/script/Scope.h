#pragma once

// One link of a scope chain: the object names are looked up in, and the
// links outside it. Functions keep the chain they were defined in.

#include "swf/script/Cell.h"

namespace swf::script {

class Object;

class Scope final : public Cell {
public:
    Scope(Object* object, Scope* parent)
        : m_object(object)
        , m_parent(parent)
    {
    }

    Object* object() const { return m_object; }
    Scope* parent() const { return m_parent; }

    void trace(Tracer& tracer) override;

private:
    Object* m_object;
    Scope* m_parent;
};

} // namespace swf::script
