#include "swf/runtime/Timeline.h"

#include <algorithm>

namespace swf {

void Timeline::restart()
{
    m_current = 0;
    m_playing = true;
}

void Timeline::advance(int frameCount, int framesLoaded)
{
    if (!m_playing || frameCount <= 0)
        return;
    const int next = m_current + 1;
    if (next < frameCount) {
        if (next < framesLoaded)
            m_current = next;
        return;
    }
    if (m_loop)
        m_current = 0;
    else
        m_playing = false;
}

void Timeline::gotoFrame(int frame, int framesLoaded)
{
    m_current = std::clamp(frame, 0, std::max(framesLoaded - 1, 0));
}

} // namespace swf
