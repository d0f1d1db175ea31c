// ContextMenu and ContextMenuItem: plain script objects here; what the
// player's menu shows of them is the host's business.

#include "swf/script/ArrayObject.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"

namespace swf::script {

using namespace BuiltinFlags;

void installContextMenuClasses(Machine& machine)
{
    (void)machine;
}

} // namespace swf::script
