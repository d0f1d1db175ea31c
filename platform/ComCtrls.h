#pragma once

namespace mComCtrls {

// Asks the desktop for its themed controls. Qt's style already draws them
// themed, so there is nothing to ask for: the call succeeds.
bool InitComCtrls();

} // namespace mComCtrls
