#include "vantor/service/SlotRange.h"

#include "vantor/service/BpmMath.h"

namespace vantor::service
{
juce::int64 SlotRange::minimumLength (double sampleRate)
{
    return juce::jmax ((juce::int64)0, dataset::FrameTime::toFrames (minimumSeconds, sampleRate));
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

SlotRange::Placed SlotRange::forLength (juce::int64 start, juce::int64 length, double sampleRate,
                                        juce::int64 fileFrames)
{
    const auto minLen = minimumLength (sampleRate);
    auto corrected = false;
    length = juce::jmax ((juce::int64)0, length);

    if (dataset::FrameTime::toSeconds (length, sampleRate) < minimumSeconds)
    {
        length = minLen;
        corrected = true;
    }

    auto end = start + length;

    if (end > fileFrames)
    {
        end = fileFrames;
        start = juce::jmin (start, end);
        corrected = true;
    }

    // Never shorter than the minimum, even at the end of the file.
    if (end - start < minLen)
        start = juce::jmax ((juce::int64)0, end - minLen);

    return {{start, end}, corrected};
}

juce::int64 SlotRange::lengthWithinBpmLimits (double beats, juce::int64 rangeFrames, double sampleRate)
{
    if (!(sampleRate > 0.0))
        return -1;

    const auto limit =
        BpmMath::crossedBpmLimit (beats, dataset::FrameTime::toSeconds (rangeFrames, sampleRate));

    if (limit == 0.0)
        return -1;

    return juce::jmax ((juce::int64)0, BpmMath::beatsToSamples (beats, limit, sampleRate));
}

SlotRange::Seconds SlotRange::withMinimumLength (Seconds range, double sampleRate, juce::int64 fileFrames)
{
    if (range.start < range.end && range.end - range.start >= minimumSeconds)
        return range;

    const auto fileEnd = dataset::FrameTime::toSeconds (fileFrames, sampleRate);
    const auto lastStart = juce::jmax (0.0, fileEnd - minimumSeconds);

    if (dataset::FrameTime::toFrames (range.end + minimumSeconds, sampleRate) > fileFrames)
    {
        const auto start = juce::jmax (0.0, range.end - minimumSeconds);
        return {start, juce::jmax (range.end, juce::jmin (fileEnd, start + minimumSeconds))};
    }

    if (dataset::FrameTime::toFrames (range.start + minimumSeconds, sampleRate) > fileFrames)
        return {lastStart, fileEnd};

    return {range.start, range.start + minimumSeconds};
}

} // namespace vantor::service
