#include "app/ComCtrls.h"

namespace mComCtrls {

bool InitComCtrls()
{
    return true;
}

} // namespace mComCtrls
