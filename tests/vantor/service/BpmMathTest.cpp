#include "vantor/service/BpmMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
using vantor::service::BpmMath;

TEST (BpmMath, ArithmeticMatchesTheWorkedExamples)
{
    struct Case
    {
        const char* what;
        double actual;
        double expected;
    };

    const Case cases[] = {
        {"4 beats over 2 s", BpmMath::calcBpmFromBeats (4, 2.0), 120.0},
        {"BPM of a zero length", BpmMath::calcBpmFromBeats (4, 0.0), 0.0},
        {"BPM of a negative length", BpmMath::calcBpmFromBeats (4, -1.0), 0.0},
        {"BPM rounded to hundredths", BpmMath::calcBpmFromBeats (1, 0.7), 85.71},
        {"120 BPM over 2 s", BpmMath::calcBeatsFromBpm (120, 2.0), 4.0},
        {"beats rounded to hundredths", BpmMath::calcBeatsFromBpm (100, 0.1234), 0.21},
        {"unset BPM gives no beats", BpmMath::calcBeatsFromBpm (0, 3.0), 0.0},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        EXPECT_DOUBLE_EQ (c.actual, c.expected);
    }
}

TEST (BpmMath, BeatsToSamples)
{
    struct Case
    {
        double beats, bpm, rate;
        juce::int64 frames;
    };

    const Case cases[] = {
        {4, 120, 96000, 192000}, {1, 120, 96000, 48000},   {4, 0, 96000, 0}, // unset BPM
        {4, -10, 96000, 0},                                                  // nonsense BPM
        {0, 120, 96000, 0},      {1, 999.99, 96000, 5760}, // 0.060000.. s rounded to 0.060 s
        {0.01, 40, 96000, 1440},                           // 0.015 s
        {3, 7, 48000, 1234272}, // 25.714285.. s rounded to 25.714 s, truncated frames
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.beats) + " beats at " + juce::String (c.bpm));
        EXPECT_EQ (BpmMath::beatsToSamples (c.beats, c.bpm, c.rate), c.frames);
    }
}

TEST (BpmMath, ClampKeepsTheLimitsAndRefusesNotANumber)
{
    const std::pair<double, double> cases[] = {
        {39.99, 40.0},
        {40.0, 40.0},
        {120.0, 120.0},
        {999.99, 999.99},
        {1000.0, 999.99},
        {-5.0, 40.0},
        {0.0, 40.0},
        {std::numeric_limits<double>::quiet_NaN(), 40.0},
        {std::numeric_limits<double>::infinity(), 999.99},
    };

    for (const auto& [input, expected] : cases)
    {
        SCOPED_TRACE (input);
        EXPECT_DOUBLE_EQ (BpmMath::clampBpm (input), expected);
    }
}

TEST (BpmMath, HundredthsAreRoundedSoTypedValuesSurvive)
{
    // Truncating 40.05 * 100 = 4004.9999.. would lose the hundredth the user typed.
    const std::pair<double, int> cases[] = {
        {40.05, 4005},
        {0.29, 29},
        {1.15, 115},
        {999.99, 99999},
        {120.0, 12000},
        {4.35, 435},
        {0.0, 0},
        {-0.07, -7},
        {1.0e12, std::numeric_limits<int>::max()},
        {std::numeric_limits<double>::quiet_NaN(), 0},
    };

    for (const auto& [input, expected] : cases)
    {
        SCOPED_TRACE (input);
        EXPECT_EQ (BpmMath::toHundredths (input), expected);
    }

    for (int hundredths = 0; hundredths <= 99999; ++hundredths)
        ASSERT_EQ (BpmMath::toHundredths (hundredths / 100.0), hundredths);
}

TEST (BpmMath, BeatsOutsideTheLimitsAreCorrectedTowardsTheAllowedSide)
{
    struct Case
    {
        double beats, seconds, expected;
    };

    const Case cases[] = {
        {1.0, 2.0, 1.34},    // 30 BPM: 1.3333.. beats would be 39.99 BPM, so up to 1.34
        {1.33, 2.0, 1.34},   // 39.9 BPM
        {1.34, 2.0, 1.34},   // 40.2 BPM stays
        {4.0, 2.0, 4.0},     // 120 BPM stays
        {20.0, 1.0, 16.66},  // 1200 BPM: 16.6665 beats would be 999.99 only when rounded up
        {16.66, 1.0, 16.66}, // 999.6 BPM stays
        {1.0, 1.5, 1.0},     // exactly 40 BPM stays
        {0.0, 2.0, 0.0},     // no beats entered: nothing to correct
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.beats) + " beats over " + juce::String (c.seconds) + " s");
        const auto corrected = BpmMath::beatsWithinBpmLimits (c.beats, c.seconds);
        EXPECT_DOUBLE_EQ (corrected, c.expected);

        if (c.beats != 0.0)
        {
            const auto implied = BpmMath::calcBpmFromBeats (corrected, c.seconds);
            EXPECT_GE (implied, BpmMath::minBpm);
            EXPECT_LE (implied, BpmMath::maxBpm);
        }
    }

    // Every length from 0.5 s to 20 s in steps of 1 ms stays inside after the correction.
    for (int ms = 500; ms <= 20000; ++ms)
    {
        const auto seconds = ms / 1000.0;

        for (const auto beats : {0.01, 100.0})
        {
            const auto corrected = BpmMath::toTwoDecimals (BpmMath::beatsWithinBpmLimits (beats, seconds));
            const auto implied = BpmMath::calcBpmFromBeats (corrected, seconds);
            ASSERT_GE (implied, BpmMath::minBpm) << seconds;
            ASSERT_LE (implied, BpmMath::maxBpm) << seconds;
        }
    }
}
} // namespace
