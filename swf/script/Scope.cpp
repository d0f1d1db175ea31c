#include "swf/script/Scope.h"

#include "swf/script/Object.h"

namespace swf::script {

void Scope::trace(Tracer& tracer)
{
    tracer.mark(m_object);
    tracer.mark(m_parent);
}

} // namespace swf::script
