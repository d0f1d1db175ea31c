#include "swf/Renderer.h"

#include <QColor>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cmath>

#include "swf/render/FramePainter.h"
#include "swf/render/RasterThread.h"
#include "swf/render/raster/Sse2.h"

namespace swf {

namespace {

constexpr int kMaxThreads = 16;
// A band thinner than this costs more in going over the list again than
// its thread saves.
constexpr int kMinBandRows = 16;
// Bands are taken by whichever thread is free, so a few more than there
// are threads keep all of them busy to the end of the frame when the
// machine's other work holds one of them up; each one more costs going
// over the list again for the shapes that straddle its edges.
constexpr int kBandsPerThread = 2;
// Changed areas past this share of the target are drawn as a whole frame,
// which costs no more; fewer, larger rectangles than this go over the list
// fewer times.
constexpr double kWholeShare = 0.5;
constexpr int kMaxChangedRects = 8;
// Less than this is drawn on one thread: handing it out costs more.
constexpr std::int64_t kParallelPixels = 64 * 1024;
// Targets whose contents are remembered: the one shown and the one drawn.
constexpr std::size_t kTargetsHeld = 2;

int machineThreads()
{
    return std::clamp(QThread::idealThreadCount(), 1, kMaxThreads);
}

std::int64_t areaOf(const QRect& rect)
{
    return std::int64_t(rect.width()) * rect.height();
}

// `rect` cut into at most `count` bands of rows, none thinner than
// kMinBandRows unless it is the only one.
void addBands(const QRect& rect, int count, std::vector<QRect>& out)
{
    count = std::clamp(rect.height() / kMinBandRows, 1, std::max(1, count));
    for (int band = 0; band < count; ++band) {
        const int top = rect.top() + int(std::int64_t(rect.height()) * band / count);
        const int bottom = rect.top() + int(std::int64_t(rect.height()) * (band + 1) / count);
        out.emplace_back(rect.left(), top, rect.width(), bottom - top);
    }
}

void fill(QImage& image, const QRect& rect, QRgb color)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y)) + rect.left();
        int x = 0;
#ifdef TVK_RASTER_SSE2
        // Four pixels a store. Laid one at a time, the stage colour took a
        // tenth of a full-screen frame, every store waiting in line while
        // its row came in from the cache.
        const __m128i four = _mm_set1_epi32(int(color));
        for (; x + 4 <= rect.width(); x += 4)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x), four);
#endif
        std::fill_n(row + x, rect.width() - x, color);
    }
}

QRegion regionOf(const FrameDamage::Damage& damage, QSize size)
{
    if (damage.whole)
        return QRegion(QRect(QPoint(0, 0), size));
    QRegion region;
    for (const QRect& rect : damage.rects)
        region += rect;
    return region;
}

} // namespace

Renderer::Renderer() = default;
Renderer::~Renderer() = default;

void Renderer::setThreads(int threads)
{
    m_threads = std::clamp(threads, 0, kMaxThreads);
}

int Renderer::threads() const
{
    return m_threads > 0 ? m_threads : machineThreads();
}

RenderScratch& Renderer::scratch(int thread)
{
    while (m_scratch.size() <= std::size_t(thread))
        m_scratch.push_back(std::make_unique<RenderScratch>());
    return *m_scratch[std::size_t(thread)];
}

Renderer::Placement Renderer::placementOf(const StageFrame& frame, QSize target, const RenderOptions& options)
{
    Header header;
    header.frameSize = frame.frameRect;
    const QTransform toTarget = viewTransform(header, target, options);
    return {toTarget, std::sqrt(std::abs(toTarget.determinant())) * 20};
}

bool Renderer::draw(const StageFrame& frame, QImage& target, const RenderOptions& options, const Placement& placement,
                    const std::vector<QRect>& parts, int threads)
{
    const QSize size = target.size();
    std::vector<QRect> jobs;
    if (parts.empty()) {
        if (threads > 1 && areaOf(target.rect()) >= kParallelPixels)
            addBands(target.rect(), threads * kBandsPerThread, jobs);
        if (jobs.size() == 1)
            jobs.clear(); // the whole target, drawn as ever
    } else {
        for (const QRect& part : parts)
            addBands(part, threads, jobs);
    }
    const int jobCount = jobs.empty() ? 1 : int(jobs.size());
    const int threadsUsed = std::min(threads, jobCount);
    for (int thread = 0; thread < threadsUsed; ++thread)
        scratch(thread);

    // The stage colour is opaque whatever the tag says: the letterbox and
    // the stage must read as one surface.
    const QRgb background = qRgb(frame.background.r, frame.background.g, frame.background.b);
    uchar* const bits = target.bits();
    const qsizetype stride = target.bytesPerLine();
    std::atomic<bool> leftOut = false;
    // Every thread paints through an image of its own over the same
    // pixels: the rows each one touches are its own. One for all the bands
    // a thread draws, as its painter's engine is made anew for every image.
    std::vector<QImage> views(static_cast<std::size_t>(threadsUsed));
    runOnRasterThreads(threadsUsed, jobCount, [&](int thread, int job) {
        QImage& view = views[std::size_t(thread)];
        if (view.isNull())
            view = QImage(bits, size.width(), size.height(), stride, QImage::Format_ARGB32_Premultiplied);
        const QRect clip = jobs.empty() ? QRect() : jobs[std::size_t(job)];
        fill(view, clip.isNull() ? view.rect() : clip, background);
        if (frame.list.nodes.empty() && !frame.list.rootDrawing)
            return;
        FramePainter painter(view, frame.list, options, placement.stageScale, *m_scratch[std::size_t(thread)]);
        painter.setClip(clip, threadsUsed > 1 ? &m_sharedDrawing : nullptr);
        painter.setReports(job == 0);
        painter.paint(placement.toTarget);
        if (painter.leftOut())
            leftOut = true;
    });
    return leftOut;
}

void Renderer::render(const StageFrame& frame, QImage& target, const RenderOptions& options)
{
    if (!frame.hasMovie || target.isNull())
        return;
    const Placement placement = placementOf(frame, target.size(), options);
    // Blending reads back premultiplied pixels; for the usual opaque
    // targets the change of format costs no copy.
    const QImage::Format format = target.format();
    if (format != QImage::Format_ARGB32_Premultiplied)
        target.convertTo(QImage::Format_ARGB32_Premultiplied);
    draw(frame, target, options, placement, {}, threads());
    if (format != QImage::Format_ARGB32_Premultiplied)
        target.convertTo(format);
}

void Renderer::render(const Player& player, QImage& target, const RenderOptions& options)
{
    player.captureFrame(m_frame);
    render(m_frame, target, options);
}

QRegion Renderer::renderChanges(const StageFrame& frame, QImage& target, const RenderOptions& options)
{
    if (!frame.hasMovie || target.isNull())
        return {};
    const QRect whole = target.rect();
    const Placement placement = placementOf(frame, target.size(), options);
    const Dictionary* dictionary = frame.list.dictionary.get();
    const OutlineSetting setting {target.size(), placement.toTarget, placement.stageScale, int(options.quality), frame.background,
                                  dictionary, dictionary ? dictionary->size() : 0};
    const std::shared_ptr<FrameOutline> outline = m_damage.outline(frame.list, setting);

    const auto held = std::find_if(m_held.begin(), m_held.end(), [&](const Held& entry) { return entry.cacheKey == target.cacheKey(); });
    FrameDamage::Damage toRedraw;
    toRedraw.whole = true;
    if (held != m_held.end() && target.format() == QImage::Format_ARGB32_Premultiplied)
        toRedraw = FrameDamage::between(*held->outline, *outline, kMaxChangedRects);
    std::vector<QRect> parts;
    int partThreads = 1;
    if (!toRedraw.whole) {
        const QRegion region = regionOf(toRedraw, target.size());
        std::int64_t area = 0;
        for (const QRect& rect : region)
            area += areaOf(rect);
        toRedraw.whole = double(area) > kWholeShare * double(areaOf(whole));
        // Parts drawn at once on several threads must not overlap: one
        // thread's stage colour would land on another's shapes. On one,
        // fewer parts, overlapping or not, go over the list fewer times.
        if (area >= kParallelPixels && threads() > 1) {
            parts.assign(region.begin(), region.end());
            partThreads = threads();
        } else {
            parts = toRedraw.rects;
        }
    }
    QRegion changed = QRegion(whole);
    if (m_last && held != m_held.end() && m_last == held->outline)
        changed = regionOf(toRedraw, target.size());
    else if (m_last)
        changed = regionOf(FrameDamage::between(*m_last, *outline, kMaxChangedRects), target.size());
    if (held != m_held.end())
        m_held.erase(held);

    if (toRedraw.whole) {
        const QImage::Format format = target.format();
        if (format != QImage::Format_ARGB32_Premultiplied)
            target.convertTo(QImage::Format_ARGB32_Premultiplied);
        outline->leftOut = draw(frame, target, options, placement, {}, threads());
        if (format != QImage::Format_ARGB32_Premultiplied)
            target.convertTo(format);
    } else if (!parts.empty()) {
        outline->leftOut = draw(frame, target, options, placement, parts, partThreads);
    }
    m_held.push_back({target.cacheKey(), outline});
    if (m_held.size() > kTargetsHeld)
        m_held.erase(m_held.begin());
    m_last = outline;
    return changed;
}

void render(const Player& player, QImage& target, const RenderOptions& options)
{
    Renderer().render(player, target, options);
}

} // namespace swf
