#include <algorithm>
#include <cmath>
#include <vector>

#include "swf/render/filters/Effect.h"
#include "swf/render/filters/FilterPasses.h"

namespace swf::filters {

namespace {

// The reference player takes matrices of up to 15 by 15; a record asking
// for more (the field allows 255 by 255, 65,025 terms a pixel) is not
// applied, which also keeps the cost a fixed multiple of the pixel count.
constexpr int kMaxMatrixSide = 15;

struct Tap {
    int dx;
    int dy;
    float weight;
};

float finiteOr(float value, float fallback) { return std::isfinite(value) ? value : fallback; }

std::uint8_t toChannel(float value, int ceiling)
{
    return std::uint8_t(value > 0 ? std::min(float(ceiling), std::round(value)) : 0.0f);
}

} // namespace

// With preserveAlpha the colour is convolved straight, so transparent
// neighbours do not darken an edge; otherwise all four premultiplied
// channels are, which keeps colour and coverage together.
void applyConvolution(QImage& layer, const Filter& filter)
{
    const int columns = filter.matrixX;
    const int rows = filter.matrixY;
    if (columns < 1 || rows < 1 || columns > kMaxMatrixSide || rows > kMaxMatrixSide
        || filter.matrix.size() != std::size_t(columns * rows) || layer.isNull())
        return;
    const float divisor = finiteOr(filter.divisor, 1) == 0 ? 1 : finiteOr(filter.divisor, 1);
    const float bias = finiteOr(filter.bias, 0);
    const int centreX = columns / 2;
    const int centreY = rows / 2;
    std::vector<Tap> taps;
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i)
            if (const float w = finiteOr(filter.matrix[std::size_t(j * columns + i)], 0); w != 0)
                taps.push_back({i - centreX, j - centreY, w / divisor});

    const bool straight = filter.preserveAlpha;
    const auto prepare = [straight](QRgb pixel) { return straight ? qUnpremultiply(pixel) : pixel; };
    const QRgb outside = straight ? qRgba(filter.defaultColor.r, filter.defaultColor.g, filter.defaultColor.b,
                                          filter.defaultColor.a)
                                  : premultiplied(filter.defaultColor);

    // The source with a border as wide as the matrix reaches, filled by the
    // edge rule, so the inner loop never tests a coordinate.
    const int width = layer.width();
    const int height = layer.height();
    const int paddedWidth = width + columns - 1;
    const int paddedHeight = height + rows - 1;
    std::vector<QRgb> source(std::size_t(paddedWidth) * std::size_t(paddedHeight));
    for (int py = 0; py < paddedHeight; ++py) {
        const int sy = py - centreY;
        const bool rowInside = sy >= 0 && sy < height;
        const auto* line =
            reinterpret_cast<const QRgb*>(layer.constScanLine(std::clamp(sy, 0, height - 1)));
        for (int px = 0; px < paddedWidth; ++px) {
            const int sx = px - centreX;
            const bool inside = rowInside && sx >= 0 && sx < width;
            source[std::size_t(py) * std::size_t(paddedWidth) + std::size_t(px)] =
                inside || filter.clamp ? prepare(line[std::clamp(sx, 0, width - 1)]) : outside;
        }
    }

    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(layer.scanLine(y));
        for (int x = 0; x < width; ++x) {
            float sum[4] = {bias, bias, bias, bias};
            const QRgb* centre =
                &source[std::size_t(y + centreY) * std::size_t(paddedWidth) + std::size_t(x + centreX)];
            for (const Tap& tap : taps) {
                const QRgb p = centre[std::ptrdiff_t(tap.dy) * paddedWidth + tap.dx];
                sum[0] += tap.weight * float(qRed(p));
                sum[1] += tap.weight * float(qGreen(p));
                sum[2] += tap.weight * float(qBlue(p));
                sum[3] += tap.weight * float(qAlpha(p));
            }
            if (straight) {
                const int alpha = qAlpha(line[x]);
                line[x] = qPremultiply(qRgba(toChannel(sum[0], 255), toChannel(sum[1], 255), toChannel(sum[2], 255), alpha));
            } else {
                const std::uint8_t alpha = toChannel(sum[3], 255);
                line[x] = qRgba(toChannel(sum[0], alpha), toChannel(sum[1], alpha), toChannel(sum[2], alpha), alpha);
            }
        }
    }
}

} // namespace swf::filters
