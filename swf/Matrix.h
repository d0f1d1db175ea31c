#pragma once

#include <QTransform>

namespace swf {

// A movie's 2x3 affine matrix: scale and rotate-skew terms, and a
// translation in twips.
struct Matrix {
    double a = 1; // scale x
    double b = 0; // rotate-skew 0
    double c = 0; // rotate-skew 1
    double d = 1; // scale y
    double tx = 0;
    double ty = 0;

    friend bool operator==(const Matrix&, const Matrix&) = default;

    QTransform toTransform() const { return QTransform(a, b, c, d, tx, ty); }
    // this applied after `inner`: a point goes through `inner` first.
    Matrix operator*(const Matrix& inner) const
    {
        return {a * inner.a + c * inner.b,   b * inner.a + d * inner.b,   a * inner.c + c * inner.d,
                b * inner.c + d * inner.d,   a * inner.tx + c * inner.ty + tx, b * inner.tx + d * inner.ty + ty};
    }
};

} // namespace swf
