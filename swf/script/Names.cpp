#include "swf/script/Names.h"

#include "swf/script/Heap.h"

namespace swf::script {

void Names::intern(Heap& heap)
{
#define TVK_INTERN_NAME(member, text) member = heap.intern(text);
    TVK_SCRIPT_NAMES(TVK_INTERN_NAME)
#undef TVK_INTERN_NAME
}

void Names::trace(Tracer& tracer) const
{
#define TVK_TRACE_NAME(member, text) tracer.mark(member);
    TVK_SCRIPT_NAMES(TVK_TRACE_NAME)
#undef TVK_TRACE_NAME
}

} // namespace swf::script
