#pragma once

#include <juce_core/juce_core.h>

namespace vantor::dataset
{
/** The one conversion between sample frames and seconds. A SLOT keeps its range in frames of its
    WAV; everything the user sees or types is seconds. Every place that turns one into the other
    goes through here, so that a time shown and typed back names the frame it was made from.
    Any thread. */
struct FrameTime
{
    /** frames / sampleRate; 0 without a sample rate (0, negative or not a number). */
    static double toSeconds (juce::int64 frames, double sampleRate) noexcept;

    /** trunc (sampleRate * seconds), where a product a hair below a whole frame counts as that
        frame; held within the 64-bit range so that a huge time still compares as beyond the file;
        not a number gives 0 (refuse such a time before asking). */
    static juce::int64 toFrames (double seconds, double sampleRate) noexcept;

    /** The range [start, end) in seconds; the end is never before the start. */
    struct Seconds
    {
        double start = 0.0;
        double end = 0.0;
    };
    static Seconds toSeconds (juce::Range<juce::int64> frames, double sampleRate) noexcept;
};
} // namespace vantor::dataset
