#include "swf/render/raster/Stroker.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace swf::raster {

namespace {

constexpr double kTolerance = 0.2;
constexpr int kMaxRoundPoints = 128;

double dot(QPointF a, QPointF b) { return a.x() * b.x() + a.y() * b.y(); }
double cross(QPointF a, QPointF b) { return a.x() * b.y() - a.y() * b.x(); }
QPointF leftNormal(QPointF d) { return {-d.y(), d.x()}; }

double length(QPointF v) { return std::sqrt(dot(v, v)); }

// `v` over its length `size`, known already.
QPointF unit(QPointF v, double size) { return size > 0 ? v / size : QPointF(); }
QPointF unit(QPointF v) { return unit(v, length(v)); }

class StrokeBuilder {
public:
    StrokeBuilder(const Pen& pen, Coverage& coverage, StrokeScratch& scratch)
        : m_pen(pen)
        , m_half(pen.width / 2)
        , m_coverage(coverage)
        , m_circle(scratch.circle)
        , m_round(scratch.round)
        , m_run(scratch.run)
        , m_right(scratch.right)
        , m_left(scratch.left)
    {
        // Enough points that the polygon strays from the circle by less
        // than the tolerance.
        const double step = m_half > kTolerance ? 2 * std::acos(1 - kTolerance / m_half) : std::numbers::pi / 2;
        m_points = std::clamp(int(std::ceil(2 * std::numbers::pi / step)), 8, kMaxRoundPoints);
        m_step = 2 * std::numbers::pi / m_points;
        m_circle.clear(); // sized for another pen
    }

    void run(const QPointF* given, std::size_t givenCount, bool closed)
    {
        // A piece of no length has no direction to join or cap by; the
        // corner is made by the pieces either side of it.
        m_run.clear();
        for (std::size_t i = 0; i < givenCount; ++i)
            if (m_run.empty() || m_run.back() != given[i])
                m_run.push_back(given[i]);
        const QPointF* const points = m_run.data();
        const std::size_t count = m_run.size();
        if (count == 0)
            return;
        if (count == 1) {
            lonePoint(points[0]);
            return;
        }
        // The line's two sides, walked forward: the outer side of every
        // corner follows its join, the inner side turns where its edges
        // meet. Walked forward on the right and back on the left they
        // enclose what the bands along every piece and the joins between
        // them would.
        const bool loop = closed && !m_pen.noClose && count > 2;
        m_right.clear();
        m_left.clear();
        const std::size_t pieces = count - 1;
        m_innerCut = nullptr;
        for (std::size_t i = 0; i < pieces; ++i) {
            const QPointF offset = leftNormal(unit(points[i + 1] - points[i])) * m_half;
            // A side whose corner was cut short already starts where it was cut.
            if (m_innerCut != &m_right)
                m_right.push_back(points[i] - offset);
            m_right.push_back(points[i + 1] - offset);
            if (m_innerCut != &m_left)
                m_left.push_back(points[i] + offset);
            m_left.push_back(points[i + 1] + offset);
            m_innerCut = nullptr;
            if (i + 1 < pieces)
                join(points[i], points[i + 1], points[i + 2], false);
            else if (loop)
                join(points[i], points[i + 1], points[1], true); // the last point is the first again
        }
        if (loop) {
            m_coverage.addContour(m_right.data(), m_right.size());
            std::reverse(m_left.begin(), m_left.end());
            m_coverage.addContour(m_left.data(), m_left.size());
            return;
        }
        // Across the far end, back along the left, across the near end.
        m_right.push_back(points[count - 1]);
        m_right.insert(m_right.end(), m_left.rbegin(), m_left.rend());
        m_right.push_back(points[0]);
        m_coverage.addContour(m_right.data(), m_right.size());
        cap(points[0], unit(points[0] - points[1]), m_pen.startCap);
        cap(points[count - 1], unit(points[count - 1] - points[count - 2]), m_pen.endCap);
    }

private:
    // A polygon through points on a circle falls short of it; set out this
    // much further, each piece covers what its slice of the circle does.
    static double outward(double pieceAngle) { return std::sqrt(pieceAngle / std::sin(pieceAngle)); }

    void polygon(std::initializer_list<QPointF> points) { m_coverage.addPolygon(points.begin(), points.size()); }

    void disc(QPointF centre)
    {
        // Worked out the first time a disc is wanted: outlines that close
        // on themselves with joins never need one.
        if (m_circle.empty()) {
            const double radius = m_half * outward(m_step);
            for (int i = 0; i < m_points; ++i)
                m_circle.push_back(QPointF(std::cos(m_step * i), std::sin(m_step * i)) * radius);
        }
        m_round.resize(m_circle.size());
        for (std::size_t i = 0; i < m_circle.size(); ++i)
            m_round[i] = centre + m_circle[i];
        m_coverage.addPolygon(m_round.data(), m_round.size());
    }

    // The points between `from` and `to` (offsets from the corner, a half
    // width long) on the round of a join, the short way round. The ends
    // sit on the circle; the points between are set out so that the round
    // covers what the circle's slice does.
    void roundBetween(QPointF corner, QPointF from, QPointF to, std::vector<QPointF>& side)
    {
        const double sweep = std::atan2(std::abs(cross(from, to)), dot(from, to));
        const int pieces = int(std::ceil(sweep / m_step));
        if (pieces < 2)
            return; // the ends alone
        const double sense = cross(from, to) >= 0 ? 1 : -1;
        const double angle = sense * sweep / pieces;
        const double c = std::cos(angle);
        const double s = std::sin(angle);
        const double stretch = std::abs(angle) / std::sin(std::abs(angle));
        const double out = pieces == 2 ? stretch : (std::sqrt(1 + (pieces - 2) * pieces * stretch) - 1) / (pieces - 2);
        QPointF offset = from;
        for (int i = 1; i < pieces; ++i) {
            offset = QPointF(offset.x() * c - offset.y() * s, offset.x() * s + offset.y() * c);
            side.push_back(corner + offset * out);
        }
    }

    // A lone point: what its caps would make of it.
    void lonePoint(QPointF point)
    {
        if (m_pen.startCap == CapStyle::Round)
            disc(point);
        else if (m_pen.startCap == CapStyle::Square)
            polygon({point + QPointF(-m_half, -m_half), point + QPointF(m_half, -m_half), point + QPointF(m_half, m_half),
                     point + QPointF(-m_half, m_half)});
    }

    void cap(QPointF end, QPointF outward, CapStyle style)
    {
        if (style == CapStyle::Round) {
            disc(end);
        } else if (style == CapStyle::Square) {
            const QPointF side = leftNormal(outward) * m_half;
            const QPointF out = outward * m_half;
            polygon({end + side, end + side + out, end - side + out, end - side});
        }
    }

    // The corner at `corner` on both sides, between the end of the piece
    // coming in and the start of the one going out.
    void join(QPointF before, QPointF corner, QPointF after, bool closing)
    {
        const double inLength = length(corner - before);
        const double outLength = length(after - corner);
        const QPointF in = unit(corner - before, inLength);
        const QPointF out = unit(after - corner, outLength);
        const double turn = cross(in, out);
        if (std::abs(turn) < 1e-12 && dot(in, out) > 0)
            return; // straight on: the sides run on
        // The gap opens on the side away from the turn.
        const bool leftOuter = turn <= 0;
        std::vector<QPointF>& outer = leftOuter ? m_left : m_right;
        std::vector<QPointF>& inner = leftOuter ? m_right : m_left;
        const double side = leftOuter ? 1 : -1;
        const QPointF a = leftNormal(in) * (side * m_half);
        const QPointF b = leftNormal(out) * (side * m_half);
        innerCorner(corner, in, out, inLength, outLength, side, inner, closing);
        if (dot(in, out) < 0 && std::abs(turn) < 1e-6) {
            // Doubling back: through the corner on both sides, and a round
            // join is a whole disc.
            outer.push_back(corner);
            if (m_pen.join == JoinStyle::Round)
                disc(corner);
            return;
        }
        if (m_pen.join == JoinStyle::Round) {
            roundBetween(corner, a, b, outer);
            return;
        }
        if (m_pen.join == JoinStyle::Miter) {
            const QPointF bisector = leftNormal(in) + leftNormal(out);
            const double cosine = dot(leftNormal(in), leftNormal(out));
            // The tip lies 1 / cos(half angle) half-widths out; past the
            // limit the corner is bevelled instead.
            const double reach = std::sqrt(2 / (1 + cosine));
            if (1 + cosine > 1e-12 && reach <= m_pen.miterLimit)
                outer.push_back(corner + bisector * (side * m_half / (1 + cosine)));
        }
    }

    // The inner side of a corner. Where both pieces are long enough, it
    // runs on to where the two inner edges meet, and the corner has one
    // point there; otherwise it cuts across through the corner itself,
    // and the little loop that makes is covered twice.
    void innerCorner(QPointF corner, QPointF in, QPointF out, double inLength, double outLength, double side,
                     std::vector<QPointF>& inner, bool closing)
    {
        const double cosine = dot(in, out);
        // How far back along each piece the inner edges meet: a half
        // width times the tangent of half the turn. Each corner takes at
        // most half of a piece, so the cut corners at its two ends never
        // cross.
        const double back = cosine > -0.9 ? m_half * std::abs(cross(in, out)) / (1 + cosine) : HUGE_VAL;
        if (back > 0.5 * std::min(inLength, outLength)) {
            inner.push_back(corner);
            return;
        }
        const QPointF meet = corner - (leftNormal(in) + leftNormal(out)) * (side * m_half / (1 + cosine));
        inner.back() = meet;
        if (closing) {
            // The first piece's start is the same corner.
            inner.front() = meet;
            inner.pop_back();
        } else {
            m_innerCut = &inner;
        }
    }

    const Pen& m_pen;
    double m_half;
    Coverage& m_coverage;
    int m_points = 8;  // on a whole disc
    double m_step = 0; // angle between neighbouring points of a round
    std::vector<QPointF>& m_circle; // a disc of the pen's size about the origin
    std::vector<QPointF>& m_round;
    std::vector<QPointF>& m_run;   // the run without repeated points
    std::vector<QPointF>& m_right; // the right side, forward
    std::vector<QPointF>& m_left;  // the left side, forward
    std::vector<QPointF>* m_innerCut = nullptr; // the side whose next piece starts at its cut corner
};

} // namespace

void stroke(const Outline& outline, const Pen& pen, Coverage& coverage, StrokeScratch& scratch)
{
    StrokeBuilder builder(pen, coverage, scratch);
    for (const Outline::Run& run : outline.runs)
        builder.run(outline.points.data() + run.first, run.count, run.closed);
}

void stroke(const Outline& outline, const Pen& pen, Coverage& coverage)
{
    StrokeScratch scratch;
    stroke(outline, pen, coverage, scratch);
}

} // namespace swf::raster
