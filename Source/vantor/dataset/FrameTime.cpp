#include "vantor/dataset/FrameTime.h"

#include <cmath>
#include <limits>

namespace vantor::dataset
{
double FrameTime::toSeconds (juce::int64 frames, double sampleRate) noexcept
{
    return sampleRate > 0.0 ? (double)frames / sampleRate : 0.0;
}

juce::int64 FrameTime::toFrames (double seconds, double sampleRate) noexcept
{
    // A time made from a frame (frame / rate, perhaps plus a 0.01 s step) multiplies back to a
    // hair below that frame, as 0.29 * 96000 gives 27839.999999999996; truncated as it is, every
    // edit would lose a frame now and then. Far below a frame, the slack cannot reach the next one.
    constexpr double frameSlack = 1.0e-6;
    const auto product = sampleRate * seconds;
    const auto frames = std::trunc (product + (product < 0.0 ? -frameSlack : frameSlack));

    if (std::isnan (frames))
        return 0;

    // 2^63: the first whole number that no longer fits.
    constexpr auto beyondLargest = 9223372036854775808.0;

    if (frames >= beyondLargest)
        return std::numeric_limits<juce::int64>::max();

    if (frames < -beyondLargest)
        return std::numeric_limits<juce::int64>::min();

    return (juce::int64)frames;
}

FrameTime::Seconds FrameTime::toSeconds (juce::Range<juce::int64> frames, double sampleRate) noexcept
{
    const auto start = toSeconds (frames.getStart(), sampleRate);
    return {start, juce::jmax (toSeconds (frames.getEnd(), sampleRate), start)};
}
} // namespace vantor::dataset
