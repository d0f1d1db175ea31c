// flash.display.BitmapData: pixels script makes and edits, shown on stage
// through MovieClip.attachBitmap. The pixels live in a canvas outside the
// script heap, held by a cell of the object's store, and count against
// the movie's memory budget, as its own bitmaps do.

#include <algorithm>
#include <cmath>
#include <limits>

#include "swf/script/ArrayObject.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/BitmapDataSupport.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"
#include "swf/script/classes/Geometry.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

constexpr const char* kStoreMarker = "BitmapData";
constexpr std::size_t kStoreSlots = 2;
// The largest side the reference player makes.
constexpr int kMaxSide = 2880;
// Coordinates far beyond any canvas, so that no sum of them overflows.
constexpr double kFar = 1 << 24;

// Holds the canvas on the heap, and tells the heap what it weighs.
class CanvasCell final : public Object {
public:
    explicit CanvasCell(std::shared_ptr<BitmapCanvas> canvas)
        : Object(nullptr)
        , m_canvas(std::move(canvas))
    {
    }

    const std::shared_ptr<BitmapCanvas>& canvas() const { return m_canvas; }

private:
    std::shared_ptr<BitmapCanvas> m_canvas;
};

CanvasCell* cellOf(Machine& m, const Value& bitmap)
{
    ArrayObject* store = nativeStore(m, bitmap, kStoreMarker, kStoreSlots);
    Object* cell = store ? store->dense(1).objectOrNull() : nullptr;
    return cell ? static_cast<CanvasCell*>(cell) : nullptr;
}

// Puts `canvas` behind `self`; an empty store when the heap cannot take
// its pixels, which reads as an invalid bitmap.
void attachCanvas(Machine& m, Object* self, std::shared_ptr<BitmapCanvas> canvas)
{
    ArrayObject* store = makeNativeStore(m, self, kStoreMarker, kStoreSlots);
    if (!canvas || canvas->isNull())
        return;
    // Bitmaps script let go of still count until they are collected.
    const auto budget = m.host().bitmapBudget();
    if (budget && !canvas->chargeTo(budget)) {
        m.collectGarbage();
        if (!canvas->chargeTo(budget)) {
            m.report("a bitmap of " + std::to_string(canvas->width()) + "x" + std::to_string(canvas->height())
                     + " pixels is refused: the movie's memory budget is spent");
            return;
        }
    }
    store->setIndex(m, 1, Value::object(m.heap().make<CanvasCell>(std::move(canvas))));
}

std::shared_ptr<BitmapCanvas> thisCanvas(NativeCall& c)
{
    return canvasOf(c.machine, c.thisValue);
}

double clampedNumber(Machine& m, const Value& v)
{
    const double n = m.toNumber(v);
    return std::isfinite(n) ? std::clamp(n, -kFar, kFar) : 0;
}

int wholeNumber(Machine& m, const Value& v)
{
    return int(std::floor(clampedNumber(m, v)));
}

Value bitmapDataConstructor(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self)
        return Value();
    const double width = m.toInteger(c.arg(0));
    const double height = m.toInteger(c.arg(1));
    const bool transparent = c.count() < 3 || m.toBoolean(c.arg(2));
    const std::uint32_t fill = c.count() < 4 ? 0xFFFFFFFFu : colorArgument(m, c.arg(3));
    std::shared_ptr<BitmapCanvas> canvas;
    if (width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide)
        canvas = std::make_shared<BitmapCanvas>(int(width), int(height), transparent, fill);
    attachCanvas(m, self, std::move(canvas));
    return Value();
}

// width, height, transparent and rectangle: -1 once disposed.
enum Getter { kWidth, kHeight, kTransparent, kRectangle };

Value getter(NativeCall& c)
{
    const auto canvas = thisCanvas(c);
    if (!nativeStore(c.machine, c.thisValue, kStoreMarker, kStoreSlots))
        return Value();
    if (!canvas)
        return Value::number(-1);
    switch (c.callee ? c.callee->tag() : 0) {
    case kWidth: return Value::number(canvas->width());
    case kHeight: return Value::number(canvas->height());
    case kTransparent: return Value::boolean(canvas->transparent());
    default: {
        const Value r = makeRectangle(c.machine, QRect(0, 0, canvas->width(), canvas->height()));
        return r.isUndefined() ? Value::number(-1) : r;
    }
    }
}

// The colour at a pixel as script sees it: nothing shows through a clear
// pixel, which the reference player keeps premultiplied.
std::uint32_t visible(std::uint32_t argb)
{
    return argb >> 24 ? argb : 0;
}

Value getPixel(NativeCall& c)
{
    const auto canvas = thisCanvas(c);
    if (!canvas)
        return Value::number(-1);
    const int x = wholeNumber(c.machine, c.arg(0));
    const int y = wholeNumber(c.machine, c.arg(1));
    if (!canvas->pixels().rect().contains(x, y))
        return Value::number(0);
    const std::uint32_t argb = visible(canvas->pixel(x, y));
    return Value::number(double(c.callee && c.callee->tag() ? argb : argb & 0xFFFFFF));
}

Value setPixel(NativeCall& c)
{
    const auto canvas = thisCanvas(c);
    if (!canvas)
        return Value();
    Machine& m = c.machine;
    const int x = wholeNumber(m, c.arg(0));
    const int y = wholeNumber(m, c.arg(1));
    if (!canvas->pixels().rect().contains(x, y))
        return Value();
    std::uint32_t argb = colorArgument(m, c.arg(2));
    // setPixel keeps the pixel's alpha; setPixel32 sets it, where the
    // bitmap has any.
    if (!(c.callee && c.callee->tag()))
        argb = (canvas->pixel(x, y) & 0xFF000000u) | (argb & 0xFFFFFF);
    if (!canvas->transparent())
        argb |= 0xFF000000u;
    canvas->setPixel(x, y, argb);
    canvas->changed();
    return Value();
}

Value fillRect(NativeCall& c)
{
    const auto canvas = thisCanvas(c);
    const auto rect = rectangleOf(c.machine, c.arg(0));
    if (!canvas || !rect)
        return Value();
    const QRect area = rect->intersected(canvas->pixels().rect());
    chargePixels(c.machine, double(area.width()) * area.height());
    std::uint32_t argb = colorArgument(c.machine, c.arg(1));
    if (!canvas->transparent())
        argb |= 0xFF000000u;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto* line = reinterpret_cast<std::uint32_t*>(canvas->pixels().scanLine(y));
        std::fill(line + area.left(), line + area.left() + area.width(), argb);
    }
    canvas->changed();
    return Value();
}

// Source over destination, both unpremultiplied.
std::uint32_t blendOver(std::uint32_t source, std::uint32_t dest)
{
    const std::uint32_t sa = source >> 24;
    if (sa == 255)
        return source;
    const std::uint32_t da = dest >> 24;
    const std::uint32_t outA = sa + da * (255 - sa) / 255;
    if (outA == 0)
        return 0;
    std::uint32_t out = outA << 24;
    for (int shift : {16, 8, 0}) {
        const std::uint32_t s = (source >> shift) & 0xFF;
        const std::uint32_t d = (dest >> shift) & 0xFF;
        out |= std::min<std::uint32_t>(255, (s * sa + d * da * (255 - sa) / 255) / outA) << shift;
    }
    return out;
}

Value copyPixels(NativeCall& c)
{
    Machine& m = c.machine;
    const auto canvas = thisCanvas(c);
    const auto source = canvasOf(m, c.arg(0));
    const auto from = rectangleOf(m, c.arg(1));
    if (!canvas || !source || !from)
        return Value();
    const QPoint to = pointOf(m, c.arg(2));
    const auto alphaSource = canvasOf(m, c.arg(3));
    const QPoint alphaAt = pointOf(m, c.arg(4));
    const bool mergeAlpha = m.toBoolean(c.arg(5));
    // Clip the source rectangle to both canvases.
    QRect area = from->intersected(source->pixels().rect());
    area = area.translated(to - from->topLeft()).intersected(canvas->pixels().rect()).translated(from->topLeft() - to);
    if (area.isEmpty())
        return Value();
    chargePixels(m, double(area.width()) * area.height());
    // A copy first: the source may be this very canvas.
    const QImage pixels = source->pixels().copy(area);
    const QPoint shift = to - from->topLeft();
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* in = reinterpret_cast<const std::uint32_t*>(pixels.constScanLine(y));
        const int ty = area.top() + y + shift.y();
        for (int x = 0; x < pixels.width(); ++x) {
            const int tx = area.left() + x + shift.x();
            std::uint32_t argb = source->transparent() ? in[x] : (in[x] | 0xFF000000u);
            if (alphaSource) {
                const QPoint at = alphaAt + QPoint(area.left() + x - from->left(), area.top() + y - from->top());
                const std::uint32_t mask = alphaSource->pixels().rect().contains(at) ? alphaSource->pixel(at.x(), at.y()) >> 24 : 0;
                argb = (argb & 0xFFFFFF) | (((argb >> 24) * mask / 255) << 24);
            }
            // Without mergeAlpha a transparent canvas takes the pixel as it
            // is, alpha and all; an opaque one can only show it over
            // what it had.
            if (mergeAlpha || !canvas->transparent())
                argb = blendOver(argb, canvas->pixel(tx, ty));
            canvas->setPixel(tx, ty, canvas->transparent() ? argb : (argb | 0xFF000000u));
        }
    }
    canvas->changed();
    return Value();
}

Value cloneMethod(NativeCall& c)
{
    const auto canvas = thisCanvas(c);
    if (!canvas)
        return Value();
    return makeBitmapData(c.machine, std::make_shared<BitmapCanvas>(canvas->pixels().copy(), canvas->transparent()));
}

Value dispose(NativeCall& c)
{
    CanvasCell* cell = cellOf(c.machine, c.thisValue);
    if (!cell || !cell->canvas())
        return Value();
    cell->canvas()->dispose();
    return Value();
}

Value loadBitmap(NativeCall& c)
{
    Machine& m = c.machine;
    if (c.arg(0).isNullish())
        return Value();
    QImage pixels;
    if (!m.host().exportedBitmap(m.toStdString(c.arg(0)), pixels) || pixels.width() > kMaxSide || pixels.height() > kMaxSide)
        return Value();
    return makeBitmapData(m, std::make_shared<BitmapCanvas>(pixels, pixels.hasAlphaChannel()));
}

// MovieClip.attachBitmap(bitmap, depth, pixelSnapping, smoothing).
Value attachBitmap(NativeCall& c)
{
    Machine& m = c.machine;
    const ClipHandle clip = m.handleOf(c.thisObject());
    const auto canvas = canvasOf(m, c.arg(0));
    if (!clip || !canvas || c.count() < 2)
        return Value();
    const double depth = m.toInteger(c.arg(1));
    if (!(std::abs(depth) < std::numeric_limits<int>::max()))
        return Value();
    m.host().attachBitmap(clip, canvas, int(depth), m.toBoolean(c.arg(3)));
    return Value();
}

} // namespace

std::shared_ptr<BitmapCanvas> canvasOf(Machine& machine, const Value& bitmap)
{
    const CanvasCell* cell = cellOf(machine, bitmap);
    return cell && cell->canvas() && !cell->canvas()->isNull() ? cell->canvas() : nullptr;
}

Value makeBitmapData(Machine& machine, std::shared_ptr<BitmapCanvas> canvas)
{
    Object* prototype = machine.builtins().bitmapDataPrototype;
    Object* made = machine.newObject(prototype);
    const Value constructor = prototype ? machine.get(prototype, machine.names().constructor) : Value();
    machine.define(made, machine.names().constructorHidden, constructor, PropertyFlag::DontEnum | PropertyFlag::OnlySwf6Up);
    attachCanvas(machine, made, std::move(canvas));
    return Value::object(made);
}

std::optional<QRect> rectangleOf(Machine& machine, const Value& rectangle)
{
    if (!rectangle.isObject())
        return std::nullopt;
    const auto field = [&](const char* name) { return clampedNumber(machine, machine.get(rectangle, machine.intern(name))); };
    const double x = std::floor(field("x"));
    const double y = std::floor(field("y"));
    const double width = std::floor(field("width"));
    const double height = std::floor(field("height"));
    if (width <= 0 || height <= 0)
        return QRect();
    return QRect(int(x), int(y), int(width), int(height));
}

QPoint pointOf(Machine& machine, const Value& point)
{
    if (!point.isObject())
        return {};
    return {wholeNumber(machine, machine.get(point, machine.intern("x"))), wholeNumber(machine, machine.get(point, machine.intern("y")))};
}

Value makeRectangle(Machine& machine, const QRect& rect)
{
    const Value args[] {Value::number(rect.x()), Value::number(rect.y()), Value::number(rect.width()), Value::number(rect.height())};
    return constructGeometry(machine, "Rectangle", args);
}

void chargePixels(Machine& machine, double pixels)
{
    // A unit of work is an instruction; a pixel costs far less.
    constexpr double kPixelsPerUnit = 16;
    machine.chargeWork(std::uint64_t(std::max(0.0, pixels) / kPixelsPerUnit));
}

std::uint32_t colorArgument(Machine& machine, const Value& color)
{
    return machine.toUInt32(color);
}

void installBitmapDataClass(Machine& machine)
{
    Object* p = machine.newObject();
    machine.builtins().bitmapDataPrototype = p;
    Function* constructor = makeNativeFunction(machine, bitmapDataConstructor);
    machine.define(constructor, machine.names().prototype, Value::object(p), HP);
    machine.define(p, machine.names().constructor, Value::object(constructor), HP);
    machine.define(packageObject(machine, "flash.display", H | Swf8), "BitmapData", Value::object(constructor), H);
    defineMethod(machine, constructor, "loadBitmap", loadBitmap);
    constexpr std::pair<const char*, Getter> kGetters[] {
        {"width", kWidth}, {"height", kHeight}, {"transparent", kTransparent}, {"rectangle", kRectangle}};
    for (const auto& [name, tag] : kGetters)
        defineAccessor(machine, p, name, getter, nullptr, 0, tag);
    defineMethod(machine, p, "getPixel", getPixel, HP, 0);
    defineMethod(machine, p, "getPixel32", getPixel, HP, 1);
    defineMethod(machine, p, "setPixel", setPixel, HP, 0);
    defineMethod(machine, p, "setPixel32", setPixel, HP, 1);
    defineMethod(machine, p, "fillRect", fillRect);
    defineMethod(machine, p, "copyPixels", copyPixels);
    defineMethod(machine, p, "clone", cloneMethod);
    defineMethod(machine, p, "dispose", dispose);
    installBitmapDataEffects(machine, p);
    defineMethod(machine, machine.builtins().movieClipPrototype, "attachBitmap", attachBitmap, H | Swf8);
}

} // namespace swf::script
