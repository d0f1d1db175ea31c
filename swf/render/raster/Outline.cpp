#include "swf/render/raster/Outline.h"

#include <algorithm>
#include <cmath>

namespace swf::raster {

namespace {

// Largest distance, in device pixels, between a curve and its pieces.
constexpr double kTolerance = 0.2;
// However a hostile matrix blows a curve up, it gets no more pieces; and
// past a budget for the whole path every curve gets one.
constexpr int kMaxPieces = 256;
constexpr std::size_t kMaxPoints = std::size_t(1) << 20;

// Whether all four points lie beyond one edge of `view`.
bool outside(const QRectF& view, QPointF p0, QPointF p1, QPointF p2, QPointF p3)
{
    const auto all = [&](auto test) { return test(p0) && test(p1) && test(p2) && test(p3); };
    return all([&](QPointF p) { return p.x() < view.left(); }) || all([&](QPointF p) { return p.x() > view.right(); })
        || all([&](QPointF p) { return p.y() < view.top(); }) || all([&](QPointF p) { return p.y() > view.bottom(); });
}

double length(QPointF v) { return std::sqrt(v.x() * v.x() + v.y() * v.y()); }

class Builder {
public:
    explicit Builder(Outline& out)
        : m_out(out)
    {
    }

    void start(QPointF device, QPointF source)
    {
        finish();
        m_start = source;
        m_run = {m_out.points.size(), 0, false};
        add(device);
    }

    void add(QPointF device)
    {
        if (m_run.count && m_out.points.back() == device)
            return;
        m_out.points.push_back(device);
        ++m_run.count;
    }

    void finish()
    {
        if (m_run.count) {
            m_run.closed = m_last == m_start;
            m_out.runs.push_back(m_run);
        }
        m_run = {};
    }

    void setLast(QPointF source) { m_last = source; }
    bool open() const { return m_run.count > 0; }

private:
    Outline& m_out;
    Outline::Run m_run;
    QPointF m_start;
    QPointF m_last;
};

} // namespace

void flatten(const QPainterPath& path, const QTransform& toDevice, const QRectF& view, Outline& out)
{
    out.clear();
    Builder builder(out);
    const int count = path.elementCount();
    QPointF current;
    for (int i = 0; i < count; ++i) {
        const QPainterPath::Element element = path.elementAt(i);
        const QPointF point(element.x, element.y);
        switch (element.type) {
        case QPainterPath::MoveToElement:
            builder.start(toDevice.map(point), point);
            break;
        case QPainterPath::LineToElement:
            if (!builder.open())
                builder.start(toDevice.map(current), current);
            builder.add(toDevice.map(point));
            break;
        case QPainterPath::CurveToElement: {
            if (i + 2 >= count) {
                i = count;
                continue;
            }
            if (!builder.open())
                builder.start(toDevice.map(current), current);
            const QPainterPath::Element c2 = path.elementAt(i + 1);
            const QPainterPath::Element end = path.elementAt(i + 2);
            const QPointF p0 = toDevice.map(current);
            const QPointF p1 = toDevice.map(point);
            const QPointF p2 = toDevice.map(QPointF(c2.x, c2.y));
            const QPointF p3 = toDevice.map(QPointF(end.x, end.y));
            const double bend = std::max(length(p0 - 2 * p1 + p2), length(p1 - 2 * p2 + p3));
            const double wanted = std::ceil(std::sqrt(0.75 * bend / kTolerance));
            int pieces = std::isfinite(wanted) ? std::clamp(int(std::min(wanted, double(kMaxPieces))), 1, kMaxPieces) : 1;
            if (out.points.size() > kMaxPoints || outside(view, p0, p1, p2, p3))
                pieces = 1;
            for (int piece = 1; piece < pieces; ++piece) {
                const double t = double(piece) / pieces;
                const double u = 1 - t;
                builder.add(u * u * u * p0 + 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t * p3);
            }
            builder.add(p3);
            current = QPointF(end.x, end.y);
            builder.setLast(current);
            i += 2;
            continue;
        }
        case QPainterPath::CurveToDataElement:
            break; // only after a CurveToElement, which takes it
        }
        current = point;
        builder.setLast(current);
    }
    builder.finish();
}

bool windsAtMostOnce(const Outline& outline)
{
    if (outline.runs.size() != 1)
        return false;
    const Outline::Run& run = outline.runs.front();
    const QPointF* points = outline.points.data() + run.first;
    int first = 0; // which way y goes along the first piece that is not level
    int heading = 0;
    int turns = 0;
    for (std::size_t i = 0; i < run.count; ++i) {
        const double dy = points[i + 1 == run.count ? 0 : i + 1].y() - points[i].y();
        if (!std::isfinite(dy))
            return false;
        const int way = int(dy > 0) - int(dy < 0);
        if (way == 0)
            continue;
        if (first == 0)
            first = way;
        else if (way != heading)
            ++turns;
        heading = way;
    }
    return turns + int(heading != first) <= 2;
}

QRectF controlBounds(const QPainterPath& path)
{
    const int count = path.elementCount();
    if (count == 0)
        return {};
    const QPainterPath::Element first = path.elementAt(0);
    double left = first.x;
    double right = first.x;
    double top = first.y;
    double bottom = first.y;
    for (int i = 1; i < count; ++i) {
        const QPainterPath::Element element = path.elementAt(i);
        left = std::min(left, element.x);
        right = std::max(right, element.x);
        top = std::min(top, element.y);
        bottom = std::max(bottom, element.y);
    }
    return QRectF(left, top, right - left, bottom - top);
}

} // namespace swf::raster
