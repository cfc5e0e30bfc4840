#pragma once

#include "vantor/dataset/FrameTime.h"

#include <juce_core/juce_core.h>

#include <cmath>

namespace vantor::service
{
/** The rules a SLOT's playback range keeps while the user edits it: at least minimumLength frames
    (0.01 s), inside the file, and, in the BPM-calculation mode, a length that keeps the entered
    beats between 40.00 and 999.99 BPM. Ranges are sample frames [start, end). */
struct SlotRange
{
    using Frames = juce::Range<juce::int64>;

    static constexpr double minimumSeconds = 0.01;

    /** False for not a number and the infinities, which name no place in any file. */
    static bool isTime (double seconds) noexcept { return std::isfinite (seconds); }

    /** trunc (sampleRate * 0.01): 960 frames at 96000 Hz. */
    static juce::int64 minimumLength (double sampleRate);

    /** The start was moved: a range shorter than minLen gets its start minLen before the end; when
        that would lie before the file, the range is [0, minLen) (cut to the file). */
    static Frames withMovedStart (juce::int64 start, juce::int64 end, juce::int64 minLen,
                                  juce::int64 fileFrames);

    /** The end was moved: a range shorter than minLen gets its end minLen after the start; when
        that would lie beyond the file, the range is the file's last minLen frames. */
    static Frames withMovedEnd (juce::int64 start, juce::int64 end, juce::int64 minLen,
                                juce::int64 fileFrames);

    /** A range of length frames ending at end, shifted to begin no earlier than the file. */
    static Frames endingAt (juce::int64 end, juce::int64 length, juce::int64 fileFrames);

    /** A range of length frames starting at start, shifted to end no later than the file. */
    static Frames startingAt (juce::int64 start, juce::int64 length, juce::int64 fileFrames);

    /** The range that a number of beats asks for: length frames from start, made at least 0.01 s
        long and cut at the file's end, where the start moves back to keep the minimum (but not
        before 0). corrected tells that the length had to change, so that the beats shown must
        follow the range. The sample rate is above 0. */
    struct Placed
    {
        Frames frames;
        bool corrected = false;
    };
    static Placed forLength (juce::int64 start, juce::int64 length, double sampleRate,
                             juce::int64 fileFrames);

    /** The frames the beats need at the BPM limit they cross over the range's length, or -1 when
        the range may stay as it is (beats 0, or an implied BPM inside the limits). */
    static juce::int64 lengthWithinBpmLimits (double beats, juce::int64 rangeFrames, double sampleRate);

    /** A range in seconds given by the user, made at least 0.01 s long without leaving the file:
        near the file's end the start moves to 0.01 s before the end, elsewhere the end moves to
        0.01 s after the start; a start too close to the file's end gives the file's last 0.01 s. */
    struct Seconds
    {
        double start = 0.0;
        double end = 0.0;
    };
    static Seconds withMinimumLength (Seconds range, double sampleRate, juce::int64 fileFrames);
};
} // namespace vantor::service
