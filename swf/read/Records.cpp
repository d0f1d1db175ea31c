#include "swf/read/Records.h"

#include "swf/read/BitReader.h"

namespace swf {

std::optional<Rect> readRect(ByteReader& bytes)
{
    BitReader bits(bytes);
    const auto size = bits.ub(5);
    if (!size)
        return std::nullopt;
    const auto xMin = bits.sb(*size);
    const auto xMax = bits.sb(*size);
    const auto yMin = bits.sb(*size);
    const auto yMax = bits.sb(*size);
    if (!xMin || !xMax || !yMin || !yMax)
        return std::nullopt;
    return Rect {*xMin, *xMax, *yMin, *yMax};
}

std::optional<Matrix> readMatrix(ByteReader& bytes)
{
    BitReader bits(bytes);
    Matrix matrix;
    const auto hasScale = bits.flag();
    if (!hasScale)
        return std::nullopt;
    if (*hasScale) {
        const auto size = bits.ub(5);
        if (!size)
            return std::nullopt;
        const auto sx = bits.fb(*size);
        const auto sy = bits.fb(*size);
        if (!sx || !sy)
            return std::nullopt;
        matrix.a = *sx;
        matrix.d = *sy;
    }
    const auto hasRotate = bits.flag();
    if (!hasRotate)
        return std::nullopt;
    if (*hasRotate) {
        const auto size = bits.ub(5);
        if (!size)
            return std::nullopt;
        const auto r0 = bits.fb(*size);
        const auto r1 = bits.fb(*size);
        if (!r0 || !r1)
            return std::nullopt;
        matrix.b = *r0;
        matrix.c = *r1;
    }
    const auto size = bits.ub(5);
    if (!size)
        return std::nullopt;
    const auto tx = bits.sb(*size);
    const auto ty = bits.sb(*size);
    if (!tx || !ty)
        return std::nullopt;
    matrix.tx = *tx;
    matrix.ty = *ty;
    return matrix;
}

std::optional<ColorTransform> readColorTransform(ByteReader& bytes, bool withAlpha)
{
    BitReader bits(bytes);
    const auto hasAdd = bits.flag();
    const auto hasMult = bits.flag();
    const auto size = bits.ub(4);
    if (!hasAdd || !hasMult || !size)
        return std::nullopt;
    ColorTransform cx;
    const int terms = withAlpha ? 4 : 3;
    if (*hasMult) {
        int* mults[4] = {&cx.rMult, &cx.gMult, &cx.bMult, &cx.aMult};
        for (int i = 0; i < terms; ++i) {
            const auto value = bits.sb(*size);
            if (!value)
                return std::nullopt;
            *mults[i] = *value;
        }
    }
    if (*hasAdd) {
        int* adds[4] = {&cx.rAdd, &cx.gAdd, &cx.bAdd, &cx.aAdd};
        for (int i = 0; i < terms; ++i) {
            const auto value = bits.sb(*size);
            if (!value)
                return std::nullopt;
            *adds[i] = *value;
        }
    }
    return cx;
}

std::optional<Color> readRgb(ByteReader& bytes)
{
    const auto r = bytes.u8();
    const auto g = bytes.u8();
    const auto b = bytes.u8();
    if (!r || !g || !b)
        return std::nullopt;
    return Color {*r, *g, *b, 255};
}

std::optional<Color> readRgba(ByteReader& bytes)
{
    const auto rgb = readRgb(bytes);
    const auto a = bytes.u8();
    if (!rgb || !a)
        return std::nullopt;
    return Color {rgb->r, rgb->g, rgb->b, *a};
}

std::optional<Color> readArgb(ByteReader& bytes)
{
    const auto a = bytes.u8();
    const auto rgb = readRgb(bytes);
    if (!a || !rgb)
        return std::nullopt;
    return Color {rgb->r, rgb->g, rgb->b, *a};
}

} // namespace swf
