#include "swf/render/filters/Blur.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "swf/render/filters/FilterPasses.h"

namespace swf::filters {

namespace {

constexpr double kMaxBlur = 255;
constexpr int kMaxPasses = 15;
// A filtered layer is at most this wide; a box wider than twice that only
// spreads the same sum thinner, so the cap changes nothing that shows.
constexpr int kMaxLayerSide = 8191;
constexpr double kMaxDeviceBlur = 2.0 * kMaxLayerSide + 1;

double deviceBlur(double blur, double scale)
{
    const double magnitude = std::abs(scale);
    if (!(blur > 0) || !(magnitude > 0) || !std::isfinite(magnitude))
        return 0;
    return std::min(std::min(blur, kMaxBlur) * magnitude, kMaxDeviceBlur);
}

// A centred box of real width 2r+1+2f: every pixel within r counts whole,
// the next one on each side counts f (in 256ths). A fractional width keeps
// a tweened blur from jumping a pixel at a time.
struct Box {
    int radius = 0;
    std::uint32_t edge = 0;
    std::uint64_t reciprocal = 0; // 2^32 / the weights' sum

    int reach() const { return radius + (edge > 0 ? 1 : 0); }
};

Box boxFor(double width)
{
    Box box;
    const double half = std::max(0.0, (width - 1) / 2);
    box.radius = int(half);
    box.edge = std::uint32_t(std::lround((half - box.radius) * 256));
    if (box.edge >= 256) {
        ++box.radius;
        box.edge = 0;
    }
    const std::uint64_t weights = 256 * std::uint64_t(2 * box.radius + 1) + 2 * std::uint64_t(box.edge);
    box.reciprocal = (std::uint64_t(1) << 32) / weights;
    return box;
}

inline std::uint8_t average(std::uint64_t whole, std::uint32_t edges, const Box& box)
{
    const std::uint64_t total = whole * 256 + std::uint64_t(edges) * box.edge;
    return std::uint8_t(std::min<std::uint64_t>(255, (total * box.reciprocal + (std::uint64_t(1) << 31)) >> 32));
}

// A sliding window: each output costs the same whatever the box's width.
// Only the ends of the row need their taps tested against its bounds.
template<int C>
void blurRow(const std::uint8_t* src, std::uint8_t* dst, int count, const Box& box)
{
    const int r = box.radius;
    const auto tap = [&](int i, int c) -> std::uint32_t { return i >= 0 && i < count ? src[i * C + c] : 0u; };
    std::uint32_t sums[C] = {};
    for (int i = 0; i <= std::min(r, count - 1); ++i)
        for (int c = 0; c < C; ++c)
            sums[c] += src[i * C + c];
    const auto checkedStep = [&](int x) {
        for (int c = 0; c < C; ++c) {
            dst[x * C + c] = average(sums[c], tap(x - r - 1, c) + tap(x + r + 1, c), box);
            sums[c] += tap(x + r + 1, c) - tap(x - r, c);
        }
    };
    const int interiorStart = std::min(count, r + 1);
    const int interiorEnd = std::max(interiorStart, count - r - 1);
    int x = 0;
    for (; x < interiorStart; ++x)
        checkedStep(x);
    for (; x < interiorEnd; ++x) {
        const std::uint8_t* before = src + (x - r - 1) * C;
        const std::uint8_t* after = src + (x + r + 1) * C;
        for (int c = 0; c < C; ++c) {
            dst[x * C + c] = average(sums[c], std::uint32_t(before[c]) + after[c], box);
            sums[c] += std::uint32_t(after[c]) - before[C + c];
        }
    }
    for (; x < count; ++x)
        checkedStep(x);
}

// The same window run down the columns, a whole row at a time so that
// memory is read in order.
struct Rows {
    std::uint8_t* data;
    std::size_t stride;
    std::uint8_t* row(int y) const { return data + std::size_t(y) * stride; }
};

void blurColumns(Rows src, Rows dst, int rowBytes, int height, const Box& box)
{
    const int r = box.radius;
    std::vector<std::uint32_t> sums(std::size_t(rowBytes), 0);
    const auto enter = [&](int y) {
        const std::uint8_t* row = src.row(y);
        for (int k = 0; k < rowBytes; ++k)
            sums[std::size_t(k)] += row[k];
    };
    const auto leave = [&](int y) {
        const std::uint8_t* row = src.row(y);
        for (int k = 0; k < rowBytes; ++k)
            sums[std::size_t(k)] -= row[k];
    };
    for (int y = 0; y <= std::min(r, height - 1); ++y)
        enter(y);
    for (int y = 0; y < height; ++y) {
        const int before = y - r - 1;
        const int after = y + r + 1;
        const std::uint8_t* above = before >= 0 ? src.row(before) : nullptr;
        const std::uint8_t* below = after < height ? src.row(after) : nullptr;
        std::uint8_t* out = dst.row(y);
        for (int k = 0; k < rowBytes; ++k) {
            const std::uint32_t edges = (above ? above[k] : 0u) + (below ? below[k] : 0u);
            out[k] = average(sums[std::size_t(k)], edges, box);
        }
        if (below)
            enter(after);
        if (y - r >= 0)
            leave(y - r);
    }
}

template<int C>
void blurRows(Rows image, int width, int height, const BlurSize& size)
{
    const Box boxX = boxFor(size.x);
    const Box boxY = boxFor(size.y);
    const bool alongX = size.x > 1;
    const bool alongY = size.y > 1;
    const int rowBytes = width * C;
    std::vector<std::uint8_t> work(std::size_t(rowBytes) * std::size_t(height));
    const Rows scratch {work.data(), std::size_t(rowBytes)};
    for (int pass = 0; pass < size.passes; ++pass) {
        for (int y = 0; y < height; ++y) {
            if (alongX)
                blurRow<C>(image.row(y), scratch.row(y), width, boxX);
            else
                std::memcpy(scratch.row(y), image.row(y), std::size_t(rowBytes));
        }
        if (alongY) {
            blurColumns(scratch, image, rowBytes, height, boxY);
        } else {
            for (int y = 0; y < height; ++y)
                std::memcpy(image.row(y), scratch.row(y), std::size_t(rowBytes));
        }
    }
}

int spread(double width, int passes)
{
    if (width <= 1)
        return 0;
    return std::min(kMaxLayerSide, boxFor(width).reach() * passes);
}

} // namespace

BlurSize blurSize(const Filter& filter, double scaleX, double scaleY)
{
    BlurSize size;
    size.x = deviceBlur(filter.blurX, scaleX);
    size.y = deviceBlur(filter.blurY, scaleY);
    size.passes = std::clamp(filter.passes, 0, kMaxPasses);
    return size;
}

int blurSpreadX(const BlurSize& size) { return spread(size.x, size.passes); }
int blurSpreadY(const BlurSize& size) { return spread(size.y, size.passes); }

AlphaPlane alphaOf(const QImage& layer)
{
    AlphaPlane plane;
    plane.width = layer.width();
    plane.height = layer.height();
    plane.values.resize(std::size_t(plane.width) * std::size_t(plane.height));
    for (int y = 0; y < plane.height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
        std::uint8_t* out = plane.values.data() + std::size_t(y) * std::size_t(plane.width);
        for (int x = 0; x < plane.width; ++x)
            out[x] = std::uint8_t(line[x] >> 24);
    }
    return plane;
}

void blurPlane(AlphaPlane& plane, const BlurSize& size)
{
    if (size.isIdentity() || plane.values.empty())
        return;
    blurRows<1>({plane.values.data(), std::size_t(plane.width)}, plane.width, plane.height, size);
}

void blurImage(QImage& image, const BlurSize& size)
{
    if (size.isIdentity() || image.isNull())
        return;
    blurRows<4>({image.bits(), std::size_t(image.bytesPerLine())}, image.width(), image.height(), size);
    // Rounding each channel on its own can leave colour a step above its
    // alpha, which premultiplied pixels must never have.
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            const int a = qAlpha(pixel);
            line[x] = qRgba(std::min(qRed(pixel), a), std::min(qGreen(pixel), a), std::min(qBlue(pixel), a), a);
        }
    }
}

void applyBlur(QImage& layer, const Filter& filter, double scaleX, double scaleY)
{
    blurImage(layer, blurSize(filter, scaleX, scaleY));
}

} // namespace swf::filters
