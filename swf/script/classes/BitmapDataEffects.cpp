// The methods of BitmapData that work on many pixels at once. Every loop
// runs over a rectangle already cut to the canvases it reads and writes,
// so no argument, however large, makes one run longer than the pixels
// there are.

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "swf/script/ArrayObject.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/BitmapDataSupport.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ColorTransformValues.h"
#include "swf/script/classes/FilterClasses.h"

namespace swf::script {

namespace {

std::uint32_t channel(std::uint32_t argb, int shift)
{
    return (argb >> shift) & 0xFF;
}

std::uint32_t clampChannel(double value)
{
    return std::uint32_t(std::clamp(value, 0.0, 255.0));
}

std::shared_ptr<BitmapCanvas> thisCanvas(NativeCall& c)
{
    return canvasOf(c.machine, c.thisValue);
}

// A source rectangle of `source` and where it lands on `dest`, both cut
// so that every pixel of the one has its pixel in the other.
struct Span {
    QRect from;
    QPoint shift; // dest = source + shift
    bool empty() const { return from.isEmpty(); }
};

// The source rectangle as given (before cutting), to keep the destination
// point tied to its corner.
Span spanArguments(Machine& m, const BitmapCanvas& source, const Value& rect, const Value& point, const BitmapCanvas& dest)
{
    const auto from = rectangleOf(m, rect);
    if (!from || from->isEmpty())
        return {};
    const QPoint to = pointOf(m, point);
    const QRect cut = from->intersected(source.pixels().rect());
    const QPoint shift = to - from->topLeft();
    return {cut.translated(shift).intersected(dest.pixels().rect()).translated(-shift), shift};
}

std::uint32_t opaqueIfNeeded(const BitmapCanvas& canvas, std::uint32_t argb)
{
    return canvas.transparent() ? argb : (argb | 0xFF000000u);
}

// Stores `blend(source pixel, destination pixel)` for every pixel of the
// span; the source is read from a copy, as it may be the canvas itself.
template<typename Blend>
void mapSpan(Machine& m, BitmapCanvas& canvas, const BitmapCanvas& source, const Span& span, Blend blend)
{
    // Copying a null rectangle would copy the whole image.
    if (span.empty())
        return;
    chargePixels(m, double(span.from.width()) * span.from.height());
    const QImage pixels = source.pixels().copy(span.from);
    const QPoint to = span.from.topLeft() + span.shift;
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* in = reinterpret_cast<const std::uint32_t*>(pixels.constScanLine(y));
        auto* out = reinterpret_cast<std::uint32_t*>(canvas.pixels().scanLine(to.y() + y)) + to.x();
        for (int x = 0; x < pixels.width(); ++x)
            out[x] = opaqueIfNeeded(canvas, blend(in[x], out[x]));
    }
    canvas.changed();
}

Value colorTransformMethod(NativeCall& c)
{
    const auto canvas = thisCanvas(c);
    const auto rect = rectangleOf(c.machine, c.arg(0));
    const auto t = colorTransformOf(c.arg(1));
    if (!canvas || !rect || !t)
        return Value();
    const QRect area = rect->intersected(canvas->pixels().rect());
    chargePixels(c.machine, double(area.width()) * area.height());
    const double mult[] {t->alphaMultiplier, t->redMultiplier, t->greenMultiplier, t->blueMultiplier};
    const double add[] {t->alphaOffset, t->redOffset, t->greenOffset, t->blueOffset};
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const std::uint32_t in = canvas->pixel(x, y);
            std::uint32_t out = 0;
            for (int i = 0; i < 4; ++i) {
                const int shift = 24 - 8 * i;
                out |= clampChannel(channel(in, shift) * mult[i] + add[i]) << shift;
            }
            canvas->setPixel(x, y, opaqueIfNeeded(*canvas, out));
        }
    }
    canvas->changed();
    return Value();
}

// A pixel coordinate; what is not a number is off every canvas.
int coordinate(Machine& m, const Value& v)
{
    const double n = m.toNumber(v);
    return std::isfinite(n) ? int(std::floor(std::clamp(n, -1.0, 1e7))) : -1;
}

Value floodFill(NativeCall& c)
{
    Machine& m = c.machine;
    const auto canvas = thisCanvas(c);
    if (!canvas)
        return Value();
    const int x0 = coordinate(m, c.arg(0));
    const int y0 = coordinate(m, c.arg(1));
    if (!canvas->pixels().rect().contains(x0, y0))
        return Value();
    const std::uint32_t target = canvas->pixel(x0, y0);
    const std::uint32_t fill = opaqueIfNeeded(*canvas, colorArgument(m, c.arg(2)));
    if (target == fill)
        return Value();
    chargePixels(m, double(canvas->width()) * canvas->height());
    // Row by row: each seed fills its run of the row and leaves one seed
    // per run above and below, so the work list stays far below the
    // canvas's size.
    std::vector<QPoint> seeds {{x0, y0}};
    const auto matches = [&](int x, int y) { return canvas->pixel(x, y) == target; };
    const auto seedRuns = [&](int left, int right, int y) {
        if (y < 0 || y >= canvas->height())
            return;
        for (int x = left; x <= right; ++x) {
            if (matches(x, y) && (x == left || !matches(x - 1, y)))
                seeds.push_back({x, y});
        }
    };
    while (!seeds.empty()) {
        const QPoint seed = seeds.back();
        seeds.pop_back();
        if (!matches(seed.x(), seed.y()))
            continue;
        int left = seed.x();
        int right = seed.x();
        while (left > 0 && matches(left - 1, seed.y()))
            --left;
        while (right + 1 < canvas->width() && matches(right + 1, seed.y()))
            ++right;
        for (int x = left; x <= right; ++x)
            canvas->setPixel(x, seed.y(), fill);
        seedRuns(left, right, seed.y() - 1);
        seedRuns(left, right, seed.y() + 1);
    }
    canvas->changed();
    return Value();
}

Value getColorBoundsRect(NativeCall& c)
{
    Machine& m = c.machine;
    const auto canvas = thisCanvas(c);
    if (!canvas)
        return Value();
    const std::uint32_t mask = colorArgument(m, c.arg(0));
    const std::uint32_t color = colorArgument(m, c.arg(1));
    const bool find = c.count() < 3 || m.toBoolean(c.arg(2));
    chargePixels(m, double(canvas->width()) * canvas->height());
    QRect bounds;
    for (int y = 0; y < canvas->height(); ++y) {
        for (int x = 0; x < canvas->width(); ++x) {
            if (((canvas->pixel(x, y) & mask) == color) == find)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return makeRectangle(m, bounds.isNull() ? QRect(0, 0, 0, 0) : bounds);
}

bool isRectangle(Machine& m, const Value& v)
{
    return v.isObject() && !m.get(v, m.intern("width")).isUndefined();
}

Value hitTest(NativeCall& c)
{
    Machine& m = c.machine;
    const auto canvas = thisCanvas(c);
    if (!canvas)
        return Value();
    const QPoint first = pointOf(m, c.arg(0));
    const std::uint32_t threshold = std::min<std::uint32_t>(m.toUInt32(c.arg(1)), 255);
    const auto solid = [&](const BitmapCanvas& of, int x, int y, std::uint32_t limit) {
        return of.pixels().rect().contains(x, y) && (of.pixel(x, y) >> 24) >= limit;
    };
    const Value& other = c.arg(2);
    if (const auto otherCanvas = canvasOf(m, other)) {
        const QPoint second = pointOf(m, c.arg(3));
        const std::uint32_t secondThreshold = std::min<std::uint32_t>(m.toUInt32(c.arg(4)), 255);
        const QRect overlap = canvas->pixels().rect().translated(first).intersected(otherCanvas->pixels().rect().translated(second));
        for (int y = overlap.top(); y <= overlap.bottom(); ++y) {
            for (int x = overlap.left(); x <= overlap.right(); ++x) {
                if (solid(*canvas, x - first.x(), y - first.y(), threshold)
                    && solid(*otherCanvas, x - second.x(), y - second.y(), secondThreshold))
                    return Value::boolean(true);
            }
        }
        return Value::boolean(false);
    }
    if (isRectangle(m, other)) {
        const auto rect = rectangleOf(m, other);
        const QRect area = rect ? rect->translated(-first).intersected(canvas->pixels().rect()) : QRect();
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                if (solid(*canvas, x, y, threshold))
                    return Value::boolean(true);
            }
        }
        return Value::boolean(false);
    }
    if (other.isObject()) {
        const QPoint at = pointOf(m, other) - first;
        return Value::boolean(solid(*canvas, at.x(), at.y(), threshold));
    }
    return Value();
}

Value scroll(NativeCall& c)
{
    Machine& m = c.machine;
    const auto canvas = thisCanvas(c);
    if (!canvas)
        return Value();
    const double dx = std::clamp(m.toInteger(c.arg(0)), -double(canvas->width()), double(canvas->width()));
    const double dy = std::clamp(m.toInteger(c.arg(1)), -double(canvas->height()), double(canvas->height()));
    const QRect all = canvas->pixels().rect();
    const QRect to = all.translated(int(dx), int(dy)).intersected(all);
    if (to.isEmpty())
        return Value();
    chargePixels(m, double(to.width()) * to.height());
    const QImage moved = canvas->pixels().copy(to.translated(-int(dx), -int(dy)));
    for (int y = 0; y < moved.height(); ++y) {
        const auto* in = reinterpret_cast<const std::uint32_t*>(moved.constScanLine(y));
        std::copy(in, in + moved.width(), reinterpret_cast<std::uint32_t*>(canvas->pixels().scanLine(to.top() + y)) + to.left());
    }
    canvas->changed();
    return Value();
}

bool passes(const std::string& operation, std::uint32_t value, std::uint32_t threshold)
{
    if (operation == "<")
        return value < threshold;
    if (operation == "<=")
        return value <= threshold;
    if (operation == ">")
        return value > threshold;
    if (operation == ">=")
        return value >= threshold;
    if (operation == "==")
        return value == threshold;
    if (operation == "!=")
        return value != threshold;
    return false;
}

Value threshold(NativeCall& c)
{
    Machine& m = c.machine;
    const auto canvas = thisCanvas(c);
    const auto source = canvasOf(m, c.arg(0));
    if (!canvas || !source)
        return Value();
    const Span span = spanArguments(m, *source, c.arg(1), c.arg(2), *canvas);
    const std::string operation = m.toStdString(c.arg(3));
    const std::uint32_t mask = c.count() > 6 ? colorArgument(m, c.arg(6)) : 0xFFFFFFFFu;
    const std::uint32_t limit = colorArgument(m, c.arg(4)) & mask;
    const std::uint32_t color = opaqueIfNeeded(*canvas, colorArgument(m, c.arg(5)));
    const bool copySource = m.toBoolean(c.arg(7));
    double changed = 0;
    mapSpan(m, *canvas, *source, span, [&](std::uint32_t in, std::uint32_t old) {
        if (passes(operation, in & mask, limit)) {
            ++changed;
            return color;
        }
        return copySource ? in : old;
    });
    return Value::number(changed);
}

// The reference player's generator for noise: a Park-Miller sequence, so
// that a seed gives the same picture every run.
class Random {
public:
    explicit Random(double seed)
        : m_state(std::uint32_t(std::fmod(std::abs(std::isfinite(seed) ? seed : 0), 2147483646.0)) + 1)
    {
    }
    std::uint32_t next()
    {
        m_state = std::uint32_t((std::uint64_t(m_state) * 16807) % 2147483647);
        return m_state;
    }
    // low..high inclusive.
    std::uint32_t between(std::uint32_t low, std::uint32_t high) { return low + next() % (high - low + 1); }

private:
    std::uint32_t m_state;
};

enum Channel : std::uint32_t { kRed = 1, kGreen = 2, kBlue = 4, kAlpha = 8 };

Value noise(NativeCall& c)
{
    Machine& m = c.machine;
    const auto canvas = thisCanvas(c);
    if (!canvas)
        return Value();
    Random random(m.toNumber(c.arg(0)));
    const auto byteArgument = [&](std::size_t at, std::uint32_t fallback) {
        return c.count() > at ? std::uint32_t(std::clamp(m.toInteger(c.arg(at)), 0.0, 255.0)) : fallback;
    };
    const std::uint32_t low = byteArgument(1, 0);
    const std::uint32_t high = std::max(low, byteArgument(2, 255));
    const std::uint32_t channels = c.count() > 3 ? m.toUInt32(c.arg(3)) : kRed | kGreen | kBlue;
    const bool gray = m.toBoolean(c.arg(4));
    chargePixels(m, double(canvas->width()) * canvas->height());
    for (int y = 0; y < canvas->height(); ++y) {
        for (int x = 0; x < canvas->width(); ++x) {
            std::uint32_t out = (channels & kAlpha) && canvas->transparent() ? 0 : 0xFF000000u;
            if (gray) {
                const std::uint32_t v = random.between(low, high);
                out |= v << 16 | v << 8 | v;
            } else {
                for (const auto& [flag, shift] : {std::pair {kRed, 16}, {kGreen, 8}, {kBlue, 0}})
                    out |= (channels & flag ? random.between(low, high) : 0) << shift;
            }
            if ((channels & kAlpha) && canvas->transparent())
                out |= random.between(low, high) << 24;
            canvas->setPixel(x, y, out);
        }
    }
    canvas->changed();
    return Value();
}

// Gradient noise over a lattice of random gradients.
class Perlin {
public:
    explicit Perlin(double seed)
    {
        Random random(seed);
        for (std::size_t i = 0; i < 256; ++i)
            m_permutation[i] = std::uint8_t(i);
        for (std::size_t i = 255; i > 0; --i)
            std::swap(m_permutation[i], m_permutation[random.next() % (i + 1)]);
    }
    // -1..1 roughly; `period` > 0 makes it tile (stitching).
    double at(double x, double y, int periodX, int periodY) const
    {
        const int x0 = int(std::floor(x));
        const int y0 = int(std::floor(y));
        const double fx = x - x0;
        const double fy = y - y0;
        const auto fade = [](double t) { return t * t * t * (t * (t * 6 - 15) + 10); };
        const auto corner = [&](int cx, int cy, double dx, double dy) {
            if (periodX > 0)
                cx = ((cx % periodX) + periodX) % periodX;
            if (periodY > 0)
                cy = ((cy % periodY) + periodY) % periodY;
            const int h = m_permutation[(m_permutation[cx & 255] + cy) & 255] & 7;
            const double u = h < 4 ? dx : dy;
            const double v = h < 4 ? dy : dx;
            return ((h & 1) ? -u : u) + ((h & 2) ? -2 * v : 2 * v);
        };
        const double u = fade(fx);
        const double v = fade(fy);
        const double top = std::lerp(corner(x0, y0, fx, fy), corner(x0 + 1, y0, fx - 1, fy), u);
        const double bottom = std::lerp(corner(x0, y0 + 1, fx, fy - 1), corner(x0 + 1, y0 + 1, fx - 1, fy - 1), u);
        return std::lerp(top, bottom, v) / 2;
    }

private:
    std::array<std::uint8_t, 256> m_permutation {};
};

// More octaves than this add nothing a byte can show.
constexpr int kMaxOctaves = 10;

Value perlinNoise(NativeCall& c)
{
    Machine& m = c.machine;
    const auto canvas = thisCanvas(c);
    if (!canvas)
        return Value();
    const double baseX = std::max(1.0, std::abs(m.toNumber(c.arg(0))));
    const double baseY = std::max(1.0, std::abs(m.toNumber(c.arg(1))));
    if (!std::isfinite(baseX) || !std::isfinite(baseY))
        return Value();
    const int octaves = int(std::clamp(m.toInteger(c.arg(2)), 0.0, double(kMaxOctaves)));
    const double seed = m.toNumber(c.arg(3));
    const bool stitch = m.toBoolean(c.arg(4));
    const bool fractal = m.toBoolean(c.arg(5));
    const std::uint32_t channels = c.count() > 6 ? m.toUInt32(c.arg(6)) : kRed | kGreen | kBlue;
    const bool gray = m.toBoolean(c.arg(7));
    // Four fields of noise, each of every octave, for every pixel.
    chargePixels(m, double(canvas->width()) * canvas->height() * 4 * std::max(octaves, 1));
    // Each channel has a field of its own.
    const std::array<Perlin, 4> fields {Perlin(seed), Perlin(seed + 1), Perlin(seed + 2), Perlin(seed + 3)};
    for (int y = 0; y < canvas->height(); ++y) {
        for (int x = 0; x < canvas->width(); ++x) {
            double values[4] {};
            for (int f = 0; f < 4; ++f) {
                double sum = 0;
                double amplitude = 1;
                double scale = 1;
                for (int o = 0; o < octaves; ++o) {
                    const int px = stitch ? std::max(1, int(canvas->width() * scale / baseX)) : 0;
                    const int py = stitch ? std::max(1, int(canvas->height() * scale / baseY)) : 0;
                    const double n = fields[std::size_t(f)].at(x * scale / baseX, y * scale / baseY, px, py);
                    sum += (fractal ? n : std::abs(n)) * amplitude;
                    amplitude /= 2;
                    scale *= 2;
                }
                values[f] = fractal ? (sum + 1) * 127.5 : sum * 255;
            }
            std::uint32_t out = (channels & kAlpha) && canvas->transparent() ? clampChannel(values[3]) << 24 : 0xFF000000u;
            if (gray) {
                const std::uint32_t v = clampChannel(values[0]);
                out |= v << 16 | v << 8 | v;
            } else {
                out |= (channels & kRed ? clampChannel(values[0]) : 0) << 16;
                out |= (channels & kGreen ? clampChannel(values[1]) : 0) << 8;
                out |= channels & kBlue ? clampChannel(values[2]) : 0;
            }
            canvas->setPixel(x, y, out);
        }
    }
    canvas->changed();
    return Value();
}

Value paletteMap(NativeCall& c)
{
    Machine& m = c.machine;
    const auto canvas = thisCanvas(c);
    const auto source = canvasOf(m, c.arg(0));
    if (!canvas || !source)
        return Value();
    const Span span = spanArguments(m, *source, c.arg(1), c.arg(2), *canvas);
    // One table per channel; a channel without one keeps its value.
    std::array<std::array<std::uint32_t, 256>, 4> tables {};
    constexpr int kShifts[] {16, 8, 0, 24};
    for (std::size_t t = 0; t < 4; ++t) {
        Object* list = c.arg(3 + t).objectOrNull();
        for (std::uint32_t i = 0; i < 256; ++i) {
            Value entry;
            if (list && list->kind() == ObjectKind::Array && static_cast<ArrayObject*>(list)->getIndex(m, i, entry))
                tables[t][i] = m.toUInt32(entry);
            else
                tables[t][i] = i << kShifts[t];
        }
    }
    mapSpan(m, *canvas, *source, span, [&](std::uint32_t in, std::uint32_t) {
        std::uint32_t out = 0;
        for (std::size_t t = 0; t < 4; ++t)
            out += tables[t][channel(in, kShifts[t])];
        return out;
    });
    return Value();
}

Value merge(NativeCall& c)
{
    Machine& m = c.machine;
    const auto canvas = thisCanvas(c);
    const auto source = canvasOf(m, c.arg(0));
    if (!canvas || !source)
        return Value();
    const Span span = spanArguments(m, *source, c.arg(1), c.arg(2), *canvas);
    std::uint32_t weights[4];
    constexpr int kShifts[] {16, 8, 0, 24};
    for (std::size_t i = 0; i < 4; ++i)
        weights[i] = std::uint32_t(std::clamp(m.toInteger(c.arg(3 + i)), 0.0, 256.0));
    mapSpan(m, *canvas, *source, span, [&](std::uint32_t in, std::uint32_t old) {
        std::uint32_t out = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            const int shift = kShifts[i];
            out |= ((channel(in, shift) * weights[i] + channel(old, shift) * (256 - weights[i])) / 256) << shift;
        }
        return out;
    });
    return Value();
}

Value compare(NativeCall& c)
{
    Machine& m = c.machine;
    const auto canvas = thisCanvas(c);
    const auto other = canvasOf(m, c.arg(0));
    if (!canvas)
        return Value::number(-2);
    if (!other)
        return Value::number(-1);
    if (canvas->width() != other->width())
        return Value::number(-3);
    if (canvas->height() != other->height())
        return Value::number(-4);
    chargePixels(m, double(canvas->width()) * canvas->height());
    auto difference = std::make_shared<BitmapCanvas>(canvas->width(), canvas->height(), true, 0);
    if (difference->isNull())
        return Value::number(-1);
    bool same = true;
    for (int y = 0; y < canvas->height(); ++y) {
        for (int x = 0; x < canvas->width(); ++x) {
            const std::uint32_t a = canvas->pixel(x, y);
            const std::uint32_t b = other->pixel(x, y);
            if (a == b)
                continue;
            same = false;
            std::uint32_t out;
            if ((a & 0xFFFFFF) != (b & 0xFFFFFF)) {
                out = 0xFF000000u;
                for (int shift : {16, 8, 0})
                    out |= ((channel(a, shift) - channel(b, shift)) & 0xFF) << shift;
            } else {
                out = (((channel(a, 24) - channel(b, 24)) & 0xFF) << 24) | 0xFFFFFF;
            }
            difference->setPixel(x, y, out);
        }
    }
    return same ? Value::number(0) : makeBitmapData(m, std::move(difference));
}

// Pixels of a canvas premultiplied, for what draws through the renderer.
QImage premultipliedCopy(const QImage& pixels, const QRect& area)
{
    return pixels.copy(area).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void storePremultiplied(BitmapCanvas& canvas, const QImage& drawn, QPoint at)
{
    const QImage plain = drawn.convertToFormat(QImage::Format_ARGB32);
    const QRect area = QRect(at, plain.size()).intersected(canvas.pixels().rect());
    const std::uint32_t opaque = canvas.transparent() ? 0 : 0xFF000000u;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* in = reinterpret_cast<const std::uint32_t*>(plain.constScanLine(y - at.y()));
        auto* out = reinterpret_cast<std::uint32_t*>(canvas.pixels().scanLine(y));
        for (int x = area.left(); x <= area.right(); ++x)
            out[x] = in[x - at.x()] | opaque;
    }
}

Value applyFilter(NativeCall& c)
{
    Machine& m = c.machine;
    const auto canvas = thisCanvas(c);
    const auto source = canvasOf(m, c.arg(0));
    const auto filter = renderFilterOf(m, c.arg(3));
    if (!canvas || !source || !filter)
        return Value::number(-1);
    const Span span = spanArguments(m, *source, c.arg(1), c.arg(2), *canvas);
    if (span.empty())
        return Value::number(0);
    QImage layer = premultipliedCopy(source->pixels(), span.from);
    if (layer.isNull() || !m.host().applyFilter(layer, *filter))
        return Value::number(-1);
    storePremultiplied(*canvas, layer, span.from.topLeft() + span.shift);
    canvas->changed();
    return Value::number(0);
}

HostMatrix matrixOf(Machine& m, const Value& v)
{
    HostMatrix out;
    if (!v.isObject())
        return out;
    double* terms[] {&out.a, &out.b, &out.c, &out.d, &out.tx, &out.ty};
    const char* names[] {"a", "b", "c", "d", "tx", "ty"};
    for (std::size_t i = 0; i < 6; ++i) {
        const double n = m.toNumber(m.get(v, m.intern(names[i])));
        *terms[i] = std::isfinite(n) ? std::clamp(n, -1e7, 1e7) : (i < 4 && (i == 0 || i == 3) ? 1 : 0);
    }
    return out;
}

// draw(source, matrix, colorTransform, blendMode, clipRect, smoothing):
// a clip through the engine's own renderer, or another bitmap's pixels.
Value draw(NativeCall& c)
{
    Machine& m = c.machine;
    const auto canvas = thisCanvas(c);
    if (!canvas)
        return Value();
    const HostMatrix matrix = matrixOf(m, c.arg(1));
    const HostColorTransform cxform = colorTransformOf(c.arg(2)).value_or(HostColorTransform());
    QRect area = canvas->pixels().rect();
    if (const auto clip = rectangleOf(m, c.arg(4)))
        area = area.intersected(*clip);
    if (area.isEmpty())
        return Value();
    QImage layer = premultipliedCopy(canvas->pixels(), area);
    if (layer.isNull())
        return Value();
    // Drawing is done in the layer's space: the clip rectangle's corner
    // is its origin.
    HostMatrix shifted = matrix;
    shifted.tx -= area.left();
    shifted.ty -= area.top();
    const bool smoothing = m.toBoolean(c.arg(5));
    bool drawn = false;
    if (const auto other = canvasOf(m, c.arg(0)))
        drawn = m.host().drawPixels(other->pixels(), layer, shifted, cxform, smoothing);
    else if (const ClipHandle clip = m.handleOf(c.arg(0).objectOrNull()))
        drawn = m.host().drawClip(clip, layer, shifted, cxform, smoothing);
    if (!drawn)
        return Value();
    storePremultiplied(*canvas, layer, area.topLeft());
    canvas->changed();
    return Value();
}

} // namespace

void installBitmapDataEffects(Machine& machine, Object* p)
{
    defineMethod(machine, p, "colorTransform", colorTransformMethod);
    defineMethod(machine, p, "floodFill", floodFill);
    defineMethod(machine, p, "getColorBoundsRect", getColorBoundsRect);
    defineMethod(machine, p, "hitTest", hitTest);
    defineMethod(machine, p, "scroll", scroll);
    defineMethod(machine, p, "threshold", threshold);
    defineMethod(machine, p, "noise", noise);
    defineMethod(machine, p, "perlinNoise", perlinNoise);
    defineMethod(machine, p, "paletteMap", paletteMap);
    defineMethod(machine, p, "merge", merge);
    defineMethod(machine, p, "compare", compare);
    defineMethod(machine, p, "applyFilter", applyFilter);
    defineMethod(machine, p, "draw", draw);
}

} // namespace swf::script
