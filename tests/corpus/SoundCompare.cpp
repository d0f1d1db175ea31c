#include "SoundCompare.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr std::size_t kMinSlackFrames = 1470;
constexpr std::size_t kReferenceStep = 8;

} // namespace

SoundComparison compareSounds(std::span<const std::int16_t> captured, std::span<const std::int16_t> reference)
{
    const std::size_t capturedFrames = captured.size() / 2;
    const std::size_t referenceFrames = reference.size() / 2;
    const std::size_t slack = std::max(kMinSlackFrames, std::size_t(0.02 * double(referenceFrames)));
    SoundComparison result;
    result.lengthAgrees = (capturedFrames > referenceFrames ? capturedFrames - referenceFrames : referenceFrames - capturedFrames) <= slack;
    const std::size_t common = 2 * std::min(capturedFrames, referenceFrames);
    double signal = 0;
    double noise = 0;
    for (std::size_t i = 0; i < common; ++i) {
        const double wanted = reference[i];
        const double error = double(captured[i]) - wanted;
        signal += wanted * wanted;
        noise += error * error;
    }
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    if (noise == 0)
        result.snr = kInfinity;
    else if (signal == 0)
        result.snr = -kInfinity;
    else
        result.snr = 10 * std::log10(signal / noise);
    return result;
}

std::vector<std::int16_t> atReferenceRate(std::span<const std::int16_t> captured)
{
    std::vector<std::int16_t> kept;
    for (std::size_t frame = kReferenceStep / 2; 2 * frame + 1 < captured.size(); frame += kReferenceStep) {
        kept.push_back(captured[2 * frame]);
        kept.push_back(captured[2 * frame + 1]);
    }
    return kept;
}
