#include <algorithm>
#include <array>
#include <cmath>

#include "swf/render/filters/FilterPasses.h"

namespace swf::filters {

namespace {

constexpr std::size_t kTerms = 20;

std::uint8_t toChannel(float value)
{
    // NaN compares false both ways and lands on 0.
    return std::uint8_t(value > 0 ? std::min(255.0f, std::round(value)) : 0.0f);
}

} // namespace

// The matrix works on straight colour in 0..255, as authors write it, so a
// half-transparent pixel is unpremultiplied first and premultiplied after.
void applyColorMatrix(QImage& layer, const Filter& filter)
{
    if (filter.matrix.size() != kTerms)
        return;
    std::array<float, kTerms> m {};
    for (std::size_t i = 0; i < kTerms; ++i)
        m[i] = std::isfinite(filter.matrix[i]) ? filter.matrix[i] : 0.0f;
    const auto transform = [&](QRgb premultipliedPixel) {
        const QRgb straight = qUnpremultiply(premultipliedPixel);
        const float in[4] = {float(qRed(straight)), float(qGreen(straight)), float(qBlue(straight)),
                             float(qAlpha(straight))};
        std::uint8_t out[4];
        for (std::size_t row = 0; row < 4; ++row) {
            const float* t = &m[row * 5];
            out[row] = toChannel(t[0] * in[0] + t[1] * in[1] + t[2] * in[2] + t[3] * in[3] + t[4]);
        }
        return qPremultiply(qRgba(out[0], out[1], out[2], out[3]));
    };
    // Flat areas repeat one pixel; remembering the last answer skips most of the work.
    QRgb lastIn = 0;
    QRgb lastOut = transform(0);
    for (int y = 0; y < layer.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(layer.scanLine(y));
        for (int x = 0; x < layer.width(); ++x) {
            if (line[x] != lastIn) {
                lastIn = line[x];
                lastOut = transform(lastIn);
            }
            line[x] = lastOut;
        }
    }
}

} // namespace swf::filters
