#include "vantor/service/SlotRange.h"

#include "vantor/service/BpmMath.h"

#include <cmath>
#include <limits>

namespace vantor::service
{
juce::int64 SlotRange::framesAt (double seconds, double sampleRate)
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

juce::int64 SlotRange::minimumLength (double sampleRate)
{
    return juce::jmax ((juce::int64)0, framesAt (minimumSeconds, sampleRate));
}

SlotRange::Frames SlotRange::withMovedStart (juce::int64 start, juce::int64 end, juce::int64 minLen,
                                             juce::int64 fileFrames)
{
    if (start >= end || end - start < minLen)
        return endingAt (end, minLen, fileFrames);

    return {start, end};
}

SlotRange::Frames SlotRange::withMovedEnd (juce::int64 start, juce::int64 end, juce::int64 minLen,
                                           juce::int64 fileFrames)
{
    if (end <= start || end - start < minLen)
        return startingAt (start, minLen, fileFrames);

    return {start, end};
}

SlotRange::Frames SlotRange::endingAt (juce::int64 end, juce::int64 length, juce::int64 fileFrames)
{
    length = juce::jmax ((juce::int64)0, length);
    auto start = end - length;

    if (start < 0)
    {
        start = 0;
        end = juce::jmax (end, juce::jmin (length, fileFrames));
    }

    return {start, juce::jmax (start, end)};
}

SlotRange::Frames SlotRange::startingAt (juce::int64 start, juce::int64 length, juce::int64 fileFrames)
{
    length = juce::jmax ((juce::int64)0, length);
    auto end = start + length;

    if (end > fileFrames)
    {
        end = fileFrames;
        start = juce::jmax ((juce::int64)0, juce::jmin (start, end - length));
    }

    return {start, juce::jmax (start, end)};
}

juce::int64 SlotRange::lengthWithinBpmLimits (double beats, juce::int64 rangeFrames, double sampleRate)
{
    if (!(sampleRate > 0.0))
        return -1;

    const auto limit = BpmMath::crossedBpmLimit (beats, (double)rangeFrames / sampleRate);

    if (limit == 0.0)
        return -1;

    return juce::jmax ((juce::int64)0, BpmMath::beatsToSamples (beats, limit, sampleRate));
}

SlotRange::Seconds SlotRange::withMinimumLength (Seconds range, double sampleRate, juce::int64 fileFrames)
{
    if (range.start < range.end && range.end - range.start >= minimumSeconds)
        return range;

    const auto fileEnd = (double)fileFrames / sampleRate;
    const auto lastStart = juce::jmax (0.0, fileEnd - minimumSeconds);

    if (framesAt (range.end + minimumSeconds, sampleRate) > fileFrames)
    {
        const auto start = juce::jmax (0.0, range.end - minimumSeconds);
        return {start, juce::jmax (range.end, juce::jmin (fileEnd, start + minimumSeconds))};
    }

    if (framesAt (range.start + minimumSeconds, sampleRate) > fileFrames)
        return {lastStart, fileEnd};

    return {range.start, range.start + minimumSeconds};
}

} // namespace vantor::service
