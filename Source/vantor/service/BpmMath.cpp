#include "vantor/service/BpmMath.h"

#include <cmath>
#include <limits>

namespace vantor::service
{
namespace
{
// Slack for products such as 2.0 * 40 / 60 * 100 that land a hair beside a whole hundredth.
constexpr double hundredthSlack = 1.0e-6;

double roundToHundredths (double value)
{
    return std::round (value * 100.0) / 100.0;
}
} // namespace

double BpmMath::calcBpmFromBeats (double beats, double seconds)
{
    return roundToHundredths (seconds > 0.0 ? beats * 60.0 / seconds : 0.0);
}

double BpmMath::calcBeatsFromBpm (double bpm, double seconds)
{
    return roundToHundredths (bpm / 60.0 * seconds);
}

juce::int64 BpmMath::beatsToSamples (double beats, double bpm, double sampleRate)
{
    if (!(bpm > 0.0))
        return 0;

    const auto seconds = std::round (beats / bpm * 60.0 * 1000.0) / 1000.0;
    const auto frames = std::trunc (seconds * sampleRate);

    if (!std::isfinite (frames))
        return 0;

    return (juce::int64)juce::jlimit (-9.0e18, 9.0e18, frames);
}

double BpmMath::clampBpm (double bpm)
{
    if (!(bpm >= minBpm))
        return minBpm;

    return bpm > maxBpm ? maxBpm : bpm;
}

int BpmMath::toHundredths (double value)
{
    const auto scaled = std::round (value * 100.0);

    if (!std::isfinite (scaled))
        return 0;

    constexpr auto lowest = (double)std::numeric_limits<int>::min();
    constexpr auto highest = (double)std::numeric_limits<int>::max();
    return (int)juce::jlimit (lowest, highest, scaled);
}

double BpmMath::toTwoDecimals (double value)
{
    return toHundredths (value) / 100.0;
}

double BpmMath::crossedBpmLimit (double beats, double seconds)
{
    if (beats == 0.0)
        return 0.0;

    const auto implied = calcBpmFromBeats (beats, seconds);

    if (implied < minBpm)
        return minBpm;

    if (implied > maxBpm)
        return maxBpm;

    return 0.0;
}

double BpmMath::beatsWithinBpmLimits (double beats, double seconds)
{
    const auto limit = crossedBpmLimit (beats, seconds);

    // Rounded towards the allowed side, so the corrected beats never imply a BPM past the limit.
    if (limit == minBpm)
        return std::ceil (seconds * (minBpm / 60.0) * 100.0 - hundredthSlack) / 100.0;

    if (limit == maxBpm)
        return std::floor (seconds * (maxBpm / 60.0) * 100.0 + hundredthSlack) / 100.0;

    return beats;
}
} // namespace vantor::service
