#include "flash/FrameRenderer.h"

#include <chrono>
#include <exception>

namespace flash {

FrameRenderer::FrameRenderer(QObject* parent)
    : QObject(parent)
    , m_engine(std::make_unique<swf::Renderer>())
{
    m_thread = std::thread([this] { run(); });
}

FrameRenderer::~FrameRenderer()
{
    {
        const std::lock_guard lock(m_lock);
        m_stopping = true;
        m_waiting.reset();
    }
    m_wake.notify_all();
    m_thread.join();
}

void FrameRenderer::setDraw(Draw draw)
{
    const std::lock_guard lock(m_lock);
    m_draw = std::move(draw);
}

void FrameRenderer::request(Request request)
{
    {
        const std::lock_guard lock(m_lock);
        m_waiting = std::move(request);
    }
    m_wake.notify_all();
}

std::optional<FrameRenderer::Finished> FrameRenderer::takeFinished()
{
    const std::lock_guard lock(m_lock);
    return std::exchange(m_finished, std::nullopt);
}

bool FrameRenderer::waitUntilIdle(int timeoutMs)
{
    std::unique_lock lock(m_lock);
    return m_idle.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !m_drawing && !m_waiting; });
}

void FrameRenderer::run()
{
    // Kept from frame to frame, taken in turn: the one shown stays as it
    // is while the other is brought up to date.
    QImage targets[2];
    int next = 0;
    for (;;) {
        Request job;
        Draw draw;
        {
            std::unique_lock lock(m_lock);
            m_wake.wait(lock, [this] { return m_stopping || m_waiting; });
            if (m_stopping)
                return;
            job = std::move(*m_waiting);
            m_waiting.reset();
            m_drawing = true;
            draw = m_draw;
        }
        const QSize size = job.size.expandedTo(QSize(1, 1));
        QImage& target = targets[next];
        // One still on show (or waiting to be) is left alone.
        if (target.size() != size || !target.isDetached())
            target = QImage(size, QImage::Format_ARGB32_Premultiplied);
        target.setDevicePixelRatio(job.devicePixelRatio);
        bool drawn = true;
        QRegion changed(QRect(QPoint(0, 0), size));
        try {
            if (draw)
                draw(*job.frame, target, job.options);
            else
                changed = m_engine->renderChanges(*job.frame, target, job.options);
        } catch (const std::exception&) {
            // A frame that cannot be drawn (memory ran out) is skipped; the
            // last one stays on show.
            drawn = false;
        }
        {
            const std::lock_guard lock(m_lock);
            m_drawing = false;
            if (drawn) {
                // A frame replaced before it was taken: what it changed
                // still differs from what is on show.
                if (m_finished)
                    changed += m_finished->changed;
                m_finished = Finished {target, job.key, changed};
            }
        }
        if (drawn)
            next ^= 1;
        m_idle.notify_all();
        if (drawn)
            QMetaObject::invokeMethod(this, &FrameRenderer::finished, Qt::QueuedConnection);
    }
}

} // namespace flash
