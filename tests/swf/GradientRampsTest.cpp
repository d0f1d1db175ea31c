#include <gtest/gtest.h>

#include <cstdlib>

#include "swf/render/GradientRamps.h"

namespace {

swf::Gradient twoStops(swf::Color from, swf::Color to, swf::InterpolationMode interpolation = swf::InterpolationMode::Normal)
{
    swf::Gradient gradient;
    gradient.interpolation = interpolation;
    gradient.records = {{0, from}, {255, to}};
    return gradient;
}

} // namespace

// Colour and alpha mix each on its own, so a clear stop keeps its colour
// instead of fading to black as it would mixing premultiplied pixels.
TEST(GradientRamps, ColourAndAlphaMixApart)
{
    const swf::Color clearBlue {0, 0, 255, 0};
    const swf::Color green {0, 255, 0, 255};
    const swf::Color halfRed {255, 0, 0, 128};
    const struct {
        const char* name;
        swf::Gradient gradient;
        QRgb middle; // unpremultiplied, at ramp step 128
    } cases[] {
        {"clear blue to green", twoStops(clearBlue, green), qRgba(0, 128, 127, 128)},
        {"half red to green", twoStops(halfRed, green), qRgba(127, 128, 0, 192)},
        {"one alpha", twoStops({255, 0, 0, 255}, green), qRgba(127, 128, 0, 255)},
        {"linear light", twoStops({255, 0, 0, 255}, {0, 0, 255, 255}, swf::InterpolationMode::Linear), qRgba(188, 0, 188, 255)},
    };
    for (const auto& c : cases) {
        swf::RampCache cache;
        const QRgb seen = qUnpremultiply(cache.rampFor(c.gradient, {})[128]);
        for (int shift : {0, 8, 16, 24})
            EXPECT_LE(std::abs(int((seen >> shift) & 0xFF) - int((c.middle >> shift) & 0xFF)), 3) << c.name << std::hex << " seen " << seen;
    }
}
