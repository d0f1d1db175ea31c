#include "platform/ComCtrls.h"

namespace mComCtrls {

bool InitComCtrls()
{
    return true;
}

} // namespace mComCtrls
