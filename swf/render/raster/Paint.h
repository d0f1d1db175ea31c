#pragma once

// What a covered pixel is painted with, and how it lands on the image:
// premultiplied ARGB laid over what is there ("source over"), in
// proportion to the pixel's coverage.

#include <array>
#include <cstdint>

#include <QGradientStops>
#include <QImage>
#include <QTransform>

namespace swf::raster {

// A gradient's colours at 256 evenly spaced points, premultiplied.
using Ramp = std::array<std::uint32_t, 256>;
Ramp buildRamp(const QGradientStops& stops);

enum class GradientShape { Linear, Radial, Focal };
enum class GradientSpread { Pad, Reflect, Repeat };

class Paint {
public:
    // `color` premultiplied.
    static Paint solid(std::uint32_t color);
    // A gradient over the square from -16384 to 16384 in its own space;
    // `toDevice` places that space on the image. `focal` is the focal
    // point's offset along x as a fraction of the radius.
    static Paint gradient(const Ramp& ramp, GradientShape shape, GradientSpread spread, double focal,
                          const QTransform& toDevice);

    bool isInvisible() const { return m_solid && m_color == 0; }

    // Lays `length` pixels of row `y` from `x` on over the image's pixels
    // there, each in proportion to its coverage `mask[i]` (0 to 255);
    // `row` points at pixel `x` of that row.
    void blend(std::uint32_t* row, int x, int y, int length, const std::uint8_t* mask) const;
    // The same span, of which only the pixels from `from` up to `to`
    // (offsets into it) are laid; each comes out as it does above.
    void blend(std::uint32_t* row, int x, int y, int length, const std::uint8_t* mask, int from, int to) const;

private:
    // blend() a chunk of colours at a time, for spans too long to be laid
    // in one go or gradients other than a padded linear one.
    void blendChunks(std::uint32_t* row, int x, int y, int length, const std::uint8_t* mask) const;
    void fetch(int x, int y, int length, std::uint32_t* out) const;
    void padded(std::int32_t fixed, std::int32_t step, int length, std::uint32_t* out) const;
    void paddedBlend(std::int32_t fixed, std::int32_t step, int length, std::uint32_t* row, const std::uint8_t* mask) const;
    // Where a padded linear ramp starts and how it steps along `length`
    // pixels from (x, y), in 16.16 ramp steps; false when it is not one or
    // the steps would not fit.
    bool paddedSteps(int x, int y, int length, std::int32_t& fixed, std::int32_t& step) const;
    std::uint32_t rampAt(double t) const;

    bool m_solid = true;
    std::uint32_t m_color = 0;
    GradientShape m_shape = GradientShape::Linear;
    GradientSpread m_spread = GradientSpread::Pad;
    double m_focal = 0;
    QTransform m_fromDevice;
    double m_rampAtOrigin = 0;
    double m_rampAlongX = 0;
    double m_rampAlongY = 0;
    // A linear, padded ramp whose step along a row fits 16.16 fixed point,
    // and that step.
    bool m_paddedLinear = false;
    std::int32_t m_paddedStep = 0;
    Ramp m_ramp {};
};

} // namespace swf::raster
