// MovieClip's drawing methods: each turns its arguments from pixels and
// percentages into the styles and twips shapes are stored in, and hands
// them to the clip's drawing.

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string>

#include "swf/runtime/ClipDrawing.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/BitmapDataSupport.h"
#include "swf/script/classes/Builtins.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

// Gradient space is a square 32768 twips wide, 1638.4 pixels.
constexpr double kGradientPixels = 1638.4;
// Stops a gradient may have, as in the file format.
constexpr std::size_t kMaxStops = 15;
// Pixels as far as twips reach in a 32-bit coordinate.
constexpr double kMaxPixels = 107374182.0;

ClipDrawing* drawingOf(NativeCall& c)
{
    const ClipHandle clip = c.machine.handleOf(c.thisObject());
    return clip ? c.machine.host().drawing(clip) : nullptr;
}

double twips(Machine& m, const Value& v)
{
    const double pixels = m.toNumber(v);
    return std::isfinite(pixels) ? std::clamp(pixels, -kMaxPixels, kMaxPixels) * 20 : 0;
}

QPointF pointArgument(NativeCall& c, std::size_t at)
{
    return {twips(c.machine, c.arg(at)), twips(c.machine, c.arg(at + 1))};
}

// A 0-100 alpha argument as a byte; left out it is opaque, given as
// undefined it is clear.
std::uint8_t alphaByte(Machine& m, const Value& v, bool given)
{
    if (!given)
        return 255;
    const double percent = m.toNumber(v);
    return std::isfinite(percent) ? std::uint8_t(std::lround(std::clamp(percent, 0.0, 100.0) * 2.55)) : 0;
}

Color colorOf(Machine& m, const Value& rgb, const Value& alpha, bool alphaGiven = true)
{
    const std::uint32_t value = std::uint32_t(m.toInt32(rgb));
    return {std::uint8_t(value >> 16), std::uint8_t(value >> 8), std::uint8_t(value), alphaByte(m, alpha, alphaGiven)};
}

std::string textOf(Machine& m, const Value& v)
{
    return v.isNullish() ? std::string() : m.toStdString(v);
}

// A matrix field, held to where coordinates reach so that no product of
// them overflows.
double numberOf(Machine& m, Object* o, std::string_view key)
{
    const double n = m.toNumber(m.get(o, key));
    return std::isfinite(n) ? std::clamp(n, -kMaxPixels, kMaxPixels) : 0;
}

// The three forms a gradient's matrix comes in: a box to fit, the 3x3
// form of the first players, or, from version 8, a flash.geom.Matrix.
// None when the object is none of them: without a matrix the reference
// player has nowhere to put the gradient, and fills nothing.
std::optional<Matrix> gradientMatrix(Machine& m, const Value& v)
{
    Object* o = v.objectOrNull();
    if (!o)
        return std::nullopt;
    if (textOf(m, m.get(o, "matrixType")) == "box") {
        const double sx = numberOf(m, o, "w") / kGradientPixels;
        const double sy = numberOf(m, o, "h") / kGradientPixels;
        const double r = numberOf(m, o, "r");
        const double x = numberOf(m, o, "x") + numberOf(m, o, "w") / 2;
        const double y = numberOf(m, o, "y") + numberOf(m, o, "h") / 2;
        return Matrix {std::cos(r) * sx, std::sin(r) * sx, -std::sin(r) * sy, std::cos(r) * sy, x * 20, y * 20};
    }
    if (m.version() >= 8 && !m.get(o, "tx").isUndefined())
        return Matrix {numberOf(m, o, "a"), numberOf(m, o, "b"), numberOf(m, o, "c"), numberOf(m, o, "d"), numberOf(m, o, "tx") * 20,
                       numberOf(m, o, "ty") * 20};
    if (m.get(o, "a").isUndefined() || m.get(o, "e").isUndefined())
        return std::nullopt;
    return Matrix {numberOf(m, o, "a") / kGradientPixels, numberOf(m, o, "b") / kGradientPixels, numberOf(m, o, "d") / kGradientPixels,
                   numberOf(m, o, "e") / kGradientPixels, numberOf(m, o, "g") * 20, numberOf(m, o, "h") * 20};
}

// Stops are read as they are stored: what is not a number counts as 0.
double storedNumber(const Value& v)
{
    return v.isNumber() && std::isfinite(v.asNumber()) ? std::trunc(v.asNumber()) : 0.0;
}

// A stop's colour, alpha and ratio, read in that order. One its array
// lacks (not merely undefined) repeats the value read just before it, as
// in the reference player; a missing colour has nothing before it.
std::array<double, 3> stopValues(Machine& m, const std::array<Object*, 3>& arrays, std::size_t index)
{
    const std::string key = std::to_string(index);
    std::array<double, 3> values {};
    double last = 0;
    for (std::size_t k = 0; k < arrays.size(); ++k) {
        Value found;
        if (m.getIfPresent(arrays[k], m.intern(key), found))
            last = storedNumber(found);
        values[k] = last;
    }
    return values;
}

std::size_t lengthOf(Machine& m, Object* array)
{
    const double n = m.toInteger(m.get(array, "length"));
    return n > 0 ? std::size_t(std::min(n, double(kMaxStops))) : 0;
}

// A gradient fill from the arguments of beginGradientFill and
// lineGradientStyle (type, colours, alphas, ratios, matrix, spread,
// interpolation, focal point); none when they do not make one.
std::optional<FillStyle> gradientFill(NativeCall& c)
{
    Machine& m = c.machine;
    const std::string type = textOf(m, c.arg(0));
    Object* colors = c.arg(1).objectOrNull();
    Object* alphas = c.arg(2).objectOrNull();
    Object* ratios = c.arg(3).objectOrNull();
    if ((type != "linear" && type != "radial") || !colors || !alphas || !ratios)
        return std::nullopt;
    const auto shortest = [&] { return std::min({lengthOf(m, colors), lengthOf(m, alphas), lengthOf(m, ratios)}); };
    const std::size_t stops = shortest();
    FillStyle fill;
    if (stops == 0)
        return fill; // the reference player fills black
    fill.type = type == "linear" ? FillType::LinearGradient : FillType::RadialGradient;
    // The gradient is sized by the lengths as first read, but they are read
    // again before every stop: stops a shrinking length leaves unread stay
    // clear black at ratio 0.
    fill.gradient.records.assign(stops, {0, Color {0, 0, 0, 0}});
    for (std::size_t i = 0; i < stops && i < shortest(); ++i) {
        const auto [rgb, alpha, ratio] = stopValues(m, {colors, alphas, ratios}, i);
        if (ratio < 0 || ratio > 255)
            return std::nullopt; // spoils the whole fill
        fill.gradient.records[i] = {std::uint8_t(ratio), colorOf(m, Value::number(rgb), Value::number(alpha))};
    }
    const std::optional<Matrix> matrix = gradientMatrix(m, c.arg(4));
    if (!matrix)
        return std::nullopt;
    fill.matrix = *matrix;
    const std::string spread = textOf(m, c.arg(5));
    fill.gradient.spread = spread == "reflect" ? SpreadMode::Reflect : spread == "repeat" ? SpreadMode::Repeat : SpreadMode::Pad;
    if (textOf(m, c.arg(6)) == "linearRGB")
        fill.gradient.interpolation = InterpolationMode::Linear;
    const double focal = m.toNumber(c.arg(7));
    if (fill.type == FillType::RadialGradient && std::isfinite(focal) && focal != 0) {
        fill.type = FillType::FocalGradient;
        fill.gradient.focalPoint = std::clamp(focal, -1.0, 1.0);
    }
    return fill;
}

Value clear(NativeCall& c)
{
    if (ClipDrawing* drawing = drawingOf(c))
        drawing->clear();
    return Value();
}

Value moveTo(NativeCall& c)
{
    if (ClipDrawing* drawing = drawingOf(c); drawing && c.count() >= 2)
        drawing->moveTo(pointArgument(c, 0));
    return Value();
}

Value lineTo(NativeCall& c)
{
    if (ClipDrawing* drawing = drawingOf(c); drawing && c.count() >= 2)
        drawing->lineTo(pointArgument(c, 0));
    return Value();
}

Value curveTo(NativeCall& c)
{
    if (ClipDrawing* drawing = drawingOf(c); drawing && c.count() >= 4)
        drawing->curveTo(pointArgument(c, 0), pointArgument(c, 2));
    return Value();
}

Value beginFill(NativeCall& c)
{
    ClipDrawing* drawing = drawingOf(c);
    if (!drawing)
        return Value();
    // No colour, or an undefined one, fills nothing; null is black.
    if (c.arg(0).isUndefined()) {
        drawing->beginFill(std::nullopt);
        return Value();
    }
    FillStyle fill;
    fill.color = colorOf(c.machine, c.arg(0), c.arg(1), c.count() >= 2);
    drawing->beginFill(fill);
    return Value();
}

Value beginGradientFill(NativeCall& c)
{
    if (ClipDrawing* drawing = drawingOf(c))
        drawing->beginFill(gradientFill(c));
    return Value();
}

// beginBitmapFill(bitmap, matrix, repeat, smoothing): the bitmap's pixels
// as they are now, a pixel of it a pixel of the clip unless the matrix
// says otherwise.
Value beginBitmapFill(NativeCall& c)
{
    Machine& m = c.machine;
    ClipDrawing* drawing = drawingOf(c);
    if (!drawing)
        return Value();
    const auto canvas = canvasOf(m, c.arg(0));
    const auto pixels = canvas ? canvas->snapshot() : nullptr;
    if (!pixels) {
        drawing->beginFill(std::nullopt);
        return Value();
    }
    FillStyle fill;
    const bool repeat = c.count() < 3 || m.toBoolean(c.arg(2));
    const bool smoothing = m.toBoolean(c.arg(3));
    fill.type = repeat ? (smoothing ? FillType::RepeatingBitmap : FillType::RepeatingBitmapHard)
                       : (smoothing ? FillType::ClippedBitmap : FillType::ClippedBitmapHard);
    fill.bitmap = pixels;
    Matrix matrix;
    if (Object* o = c.arg(1).objectOrNull())
        matrix = {numberOf(m, o, "a"), numberOf(m, o, "b"), numberOf(m, o, "c"), numberOf(m, o, "d"), numberOf(m, o, "tx"),
                  numberOf(m, o, "ty")};
    // Pixels to twips.
    fill.matrix = {matrix.a * 20, matrix.b * 20, matrix.c * 20, matrix.d * 20, matrix.tx * 20, matrix.ty * 20};
    drawing->beginFill(fill);
    return Value();
}

Value endFill(NativeCall& c)
{
    if (ClipDrawing* drawing = drawingOf(c))
        drawing->endFill();
    return Value();
}

// lineStyle(thickness, rgb, alpha, pixelHinting, noScale, caps, joints,
// miterLimit); no thickness, no line.
Value lineStyle(NativeCall& c)
{
    Machine& m = c.machine;
    ClipDrawing* drawing = drawingOf(c);
    if (!drawing)
        return Value();
    if (c.arg(0).isUndefined()) {
        drawing->setLineStyle(std::nullopt);
        return Value();
    }
    LineStyle line;
    const double thickness = m.toNumber(c.arg(0));
    line.width = std::uint16_t(std::isfinite(thickness) ? std::lround(std::clamp(thickness, 0.0, 255.0) * 20) : 0);
    line.color = colorOf(m, c.arg(1), c.arg(2), c.count() >= 3);
    line.pixelHinting = m.toBoolean(c.arg(3));
    const std::string scaling = textOf(m, c.arg(4));
    line.noHScale = scaling == "none" || scaling == "horizontal";
    line.noVScale = scaling == "none" || scaling == "vertical";
    const std::string caps = textOf(m, c.arg(5));
    line.startCap = line.endCap = caps == "none" ? CapStyle::None : caps == "square" ? CapStyle::Square : CapStyle::Round;
    const std::string joints = textOf(m, c.arg(6));
    line.join = joints == "miter" ? JoinStyle::Miter : joints == "bevel" ? JoinStyle::Bevel : JoinStyle::Round;
    const double limit = m.toNumber(c.arg(7));
    line.miterLimit = std::isfinite(limit) ? std::clamp(limit, 1.0, 255.0) : 3.0;
    drawing->setLineStyle(line);
    return Value();
}

Value lineGradientStyle(NativeCall& c)
{
    ClipDrawing* drawing = drawingOf(c);
    if (!drawing)
        return Value();
    if (const std::optional<FillStyle> fill = gradientFill(c))
        drawing->setLineFill(*fill);
    return Value();
}

} // namespace

void installMovieClipDrawing(Machine& machine)
{
    Object* p = machine.builtins().movieClipPrototype;
    struct Entry {
        const char* name;
        NativeFunction native;
        std::uint32_t flags;
    };
    static const Entry kMethods[] {
        {"clear", clear, HP | Swf6},       {"moveTo", moveTo, HP | Swf6},           {"lineTo", lineTo, HP | Swf6},
        {"curveTo", curveTo, HP | Swf6},   {"beginFill", beginFill, HP | Swf6},     {"beginGradientFill", beginGradientFill, HP | Swf6},
        {"endFill", endFill, HP | Swf6},   {"lineStyle", lineStyle, HP | Swf6},     {"lineGradientStyle", lineGradientStyle, HP | Swf8},
        {"beginBitmapFill", beginBitmapFill, HP | Swf8},
    };
    for (const Entry& e : kMethods)
        defineMethod(machine, p, e.name, e.native, e.flags);
}

} // namespace swf::script
