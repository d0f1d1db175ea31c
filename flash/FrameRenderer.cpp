#include "flash/FrameRenderer.h"

#include <chrono>
#include <exception>

namespace flash {

FrameRenderer::FrameRenderer(QObject* parent)
    : QObject(parent)
{
    auto renderer = std::make_shared<swf::Renderer>();
    m_draw = [renderer](const swf::StageFrame& frame, QImage& target, const swf::RenderOptions& options) {
        renderer->render(frame, target, options);
    };
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

std::optional<std::pair<QImage, std::uint64_t>> FrameRenderer::takeFinished()
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
    // Kept from frame to frame: most frames are the size of the last.
    QImage target;
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
        if (target.size() != size || !target.isDetached())
            target = QImage(size, QImage::Format_ARGB32_Premultiplied);
        target.setDevicePixelRatio(job.devicePixelRatio);
        bool drawn = true;
        try {
            draw(*job.frame, target, job.options);
        } catch (const std::exception&) {
            // A frame that cannot be drawn (memory ran out) is skipped; the
            // last one stays on show.
            drawn = false;
        }
        {
            const std::lock_guard lock(m_lock);
            m_drawing = false;
            if (drawn)
                m_finished = std::pair(target, job.key);
        }
        m_idle.notify_all();
        if (drawn)
            QMetaObject::invokeMethod(this, &FrameRenderer::finished, Qt::QueuedConnection);
    }
}

} // namespace flash
