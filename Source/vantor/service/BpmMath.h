#pragma once

#include <juce_core/juce_core.h>

namespace vantor::service
{
/** The BPM arithmetic of the SLOT editor: BPM from beats and a length, beats from a BPM, the
    length of a number of beats, and the limits a BPM must keep. There is no audio analysis: the
    user enters the beats. BPM and beats keep two decimals; they cross the service as hundredths. */
struct BpmMath
{
    static constexpr double minBpm = 40.0;
    static constexpr double maxBpm = 999.99;

    /** beats * 60 / seconds with two decimals; 0 for a length that is not above 0. */
    static double calcBpmFromBeats (double beats, double seconds);

    /** bpm / 60 * seconds with two decimals. */
    static double calcBeatsFromBpm (double bpm, double seconds);

    /** Sample frames of the beats at the BPM (the length rounded to whole milliseconds first);
        0 for a BPM that is not above 0. beatsToSamples (4, 120, 96000) is 192000. */
    static juce::int64 beatsToSamples (double beats, double bpm, double sampleRate);

    /** Into minBpm..maxBpm; not-a-number gives minBpm. */
    static double clampBpm (double bpm);

    /** A two-decimal value as a whole number of hundredths. Rounded, because a double such as
        40.05 is stored as 40.04999...: truncating would lose a hundredth the user typed. */
    static int toHundredths (double value);

    /** value with two decimals, through toHundredths. */
    static double toTwoDecimals (double value);

    /** Beats that keep the BPM over the length inside the limits: unchanged when they already do
        (or are 0), else the nearest hundredth on the allowed side of the crossed limit. */
    static double beatsWithinBpmLimits (double beats, double seconds);

    /** The limit that beats over a length cross (minBpm or maxBpm), or 0 when the implied BPM is
        inside the limits or the beats are 0. */
    static double crossedBpmLimit (double beats, double seconds);
};
} // namespace vantor::service
