#pragma once

// What `super` stands for inside a method: the object the method runs on,
// and the prototype the reference player takes as the method's class: the
// prototype of `this` for a method called on an object (from version 7,
// the first prototype from there up that holds the method), one prototype
// further up for each call made through super (from version 7, where the
// method was found when that is higher). Members are looked up from the
// prototype above that one; super() calls that prototype's
// __constructor__, the class it extends.

#include "swf/script/Object.h"

namespace swf::script {

class SuperObject final : public Object {
public:
    SuperObject(const Value& thisValue, Object* holder)
        : Object(nullptr, ObjectKind::Super)
        , m_this(thisValue)
        , m_holder(holder)
    {
    }

    const Value& thisValue() const { return m_this; }
    Object* holder() const { return m_holder; }
    // Where member lookups through super begin; null at the top.
    Object* start() const { return m_holder ? m_holder->prototype() : nullptr; }

    void trace(Tracer& tracer) override
    {
        Object::trace(tracer);
        tracer.mark(m_this);
        tracer.mark(m_holder);
    }

private:
    Value m_this;
    Object* m_holder;
};

} // namespace swf::script
