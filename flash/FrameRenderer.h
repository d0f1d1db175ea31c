#pragma once

// Draws the movie control's frames on a thread of their own, so that a
// frame that takes long to draw never holds up the interface: the control
// shows the last finished frame meanwhile. Only the newest request waits;
// frames asked for while one is being drawn replace each other, so a slow
// movie drops frames instead of falling ever further behind.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include <QImage>
#include <QObject>

#include "swf/Renderer.h"
#include "swf/StageFrame.h"

namespace flash {

class FrameRenderer : public QObject {
    Q_OBJECT
public:
    // What drawing a frame means; the engine's renderer unless replaced
    // (tests give a slow one). Called on the drawing thread only.
    using Draw = std::function<void(const swf::StageFrame& frame, QImage& target, const swf::RenderOptions& options)>;

    struct Request {
        std::shared_ptr<const swf::StageFrame> frame;
        QSize size;
        qreal devicePixelRatio = 1;
        swf::RenderOptions options;
        // Handed back with the finished frame.
        std::uint64_t key = 0;
    };

    explicit FrameRenderer(QObject* parent = nullptr);
    ~FrameRenderer() override;

    void setDraw(Draw draw);
    // Draws `request` as soon as the thread is free, in place of any
    // request still waiting.
    void request(Request request);
    // The newest finished frame and its request's key, once; nothing if
    // none has finished since the last call.
    std::optional<std::pair<QImage, std::uint64_t>> takeFinished();
    // Waits until nothing is being drawn or waiting; false on timeout.
    bool waitUntilIdle(int timeoutMs);

signals:
    // A frame has finished; takeFinished() hands it over.
    void finished();

private:
    void run();

    std::mutex m_lock;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<Request> m_waiting;
    bool m_drawing = false;
    bool m_stopping = false;
    std::optional<std::pair<QImage, std::uint64_t>> m_finished;
    Draw m_draw;
    std::thread m_thread;
};

} // namespace flash
