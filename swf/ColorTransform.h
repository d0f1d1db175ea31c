#pragma once

#include <algorithm>
#include <cstdint>

#include "swf/Color.h"

namespace swf {

// Colour transform: each channel becomes channel * mult / 256 + add, clamped
// to 0..255. Terms may be negative. Multipliers are kept in 8.8 form as
// movies store them (256 is 1.0).
struct ColorTransform {
    int rMult = 256;
    int gMult = 256;
    int bMult = 256;
    int aMult = 256;
    int rAdd = 0;
    int gAdd = 0;
    int bAdd = 0;
    int aAdd = 0;

    friend bool operator==(const ColorTransform&, const ColorTransform&) = default;

    bool isIdentity() const { return *this == ColorTransform {}; }

    Color apply(Color c) const
    {
        return {channel(c.r, rMult, rAdd), channel(c.g, gMult, gAdd), channel(c.b, bMult, bAdd),
                channel(c.a, aMult, aAdd)};
    }

    // this applied after `inner`, as a parent's transform applies after its child's.
    ColorTransform operator*(const ColorTransform& inner) const
    {
        return {inner.rMult * rMult / 256, inner.gMult * gMult / 256, inner.bMult * bMult / 256,
                inner.aMult * aMult / 256, inner.rAdd * rMult / 256 + rAdd, inner.gAdd * gMult / 256 + gAdd,
                inner.bAdd * bMult / 256 + bAdd, inner.aAdd * aMult / 256 + aAdd};
    }

private:
    static std::uint8_t channel(int value, int mult, int add)
    {
        return std::uint8_t(std::clamp(value * mult / 256 + add, 0, 255));
    }
};

} // namespace swf
