#pragma once

// What `super` stands for inside a method: the object the method runs on,
// and the prototype one level above the one the method was found in.
// Member reads start at that prototype; calls keep `this`.

#include "swf/script/Object.h"

namespace swf::script {

class SuperObject final : public Object {
public:
    SuperObject(Object* prototype, const Value& thisValue, Object* start)
        : Object(prototype, ObjectKind::Super)
        , m_this(thisValue)
        , m_start(start)
    {
    }

    const Value& thisValue() const { return m_this; }
    // Where lookups through super begin; null at the top of the chain.
    Object* start() const { return m_start; }

    void trace(Tracer& tracer) override
    {
        Object::trace(tracer);
        tracer.mark(m_this);
        tracer.mark(m_start);
    }

private:
    Value m_this;
    Object* m_start;
};

} // namespace swf::script
