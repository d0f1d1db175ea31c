#include "swf/script/Object.h"

namespace swf::script {

void Object::setPrototypeValue(const Value& value)
{
    m_hasPrototypeProperty = true;
    if (value.isObject()) {
        m_prototype = value.asObject();
        m_prototypeOther = Value();
    } else {
        m_prototype = nullptr;
        m_prototypeOther = value;
    }
}

std::vector<Watcher>& Object::ensureWatchers()
{
    if (!m_watchers)
        m_watchers = std::make_unique<std::vector<Watcher>>();
    return *m_watchers;
}

void Object::setInterfaces(std::vector<Object*> interfaces)
{
    m_interfaces = std::make_unique<std::vector<Object*>>(std::move(interfaces));
}

void Object::trace(Tracer& tracer)
{
    m_properties.trace(tracer);
    tracer.mark(m_prototype);
    tracer.mark(m_prototypeOther);
    tracer.mark(m_primitive);
    if (m_watchers) {
        for (const Watcher& w : *m_watchers) {
            tracer.mark(w.key);
            tracer.mark(w.callback);
            tracer.mark(w.userData);
        }
    }
    if (m_interfaces)
        for (Object* i : *m_interfaces)
            tracer.mark(i);
}

} // namespace swf::script
