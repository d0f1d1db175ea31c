#pragma once

// Runs drawing work where Qt's raster engine fills spans itself instead of
// farming them out.

#include <functional>

namespace swf {

// Calls `work` on a thread of Qt's global thread pool (or right here when
// already on one) and returns once it is done.
void runOnRasterThread(const std::function<void()>& work);

} // namespace swf
