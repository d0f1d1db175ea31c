#include "swf/script/Function.h"

#include "swf/script/Scope.h"

namespace swf::script {

void Function::trace(Tracer& tracer)
{
    Object::trace(tracer);
    tracer.mark(m_owner);
    tracer.mark(m_scope);
    tracer.mark(m_pool);
    tracer.mark(m_definingTarget);
}

} // namespace swf::script
