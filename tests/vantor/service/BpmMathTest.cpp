#include "vantor/service/BpmMath.h"
#include "vantor/service/SlotRange.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
using vantor::service::BpmMath;
using vantor::service::SlotRange;

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

TEST (SlotRange, MinimumLengthIsOneHundredthOfASecond)
{
    EXPECT_EQ (SlotRange::minimumLength (96000), 960);
    EXPECT_EQ (SlotRange::minimumLength (44100), 441);
    EXPECT_EQ (SlotRange::minimumLength (0), 0);
}

TEST (SlotRange, FramesOfATime)
{
    constexpr auto largest = std::numeric_limits<juce::int64>::max();
    constexpr auto smallest = std::numeric_limits<juce::int64>::min();

    EXPECT_EQ (SlotRange::framesAt (1.5, 96000), 144000);
    EXPECT_EQ (SlotRange::framesAt (0.29, 96000), 27840); // 27839.999999999996 in double
    EXPECT_EQ (SlotRange::framesAt (27839.99 / 96000, 96000), 27839);
    EXPECT_EQ (SlotRange::framesAt (-0.00001, 96000), 0);
    EXPECT_EQ (SlotRange::framesAt (1.0e300, 96000), largest);
    EXPECT_EQ (SlotRange::framesAt (std::numeric_limits<double>::infinity(), 96000), largest);
    EXPECT_EQ (SlotRange::framesAt (-1.0e300, 96000), smallest);
    EXPECT_EQ (SlotRange::framesAt (std::numeric_limits<double>::quiet_NaN(), 96000), 0);
    EXPECT_FALSE (SlotRange::isTime (std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE (SlotRange::isTime (-std::numeric_limits<double>::infinity()));
    EXPECT_TRUE (SlotRange::isTime (1.0e300));
}

TEST (SlotRange, MovedEdgesKeepTheMinimumLengthInsideTheFile)
{
    constexpr juce::int64 file = 96000;
    constexpr juce::int64 minLen = 960;

    struct Case
    {
        const char* what;
        bool startMoved;
        juce::int64 start, end, expectedStart, expectedEnd;
    };

    const Case cases[] = {
        {"start well before the end stays", true, 1000, 50000, 1000, 50000},
        {"start within 500 frames of the end lands 960 before it", true, 49500, 50000, 49040, 50000},
        {"start after the end", true, 60000, 50000, 49040, 50000},
        {"start on the end", true, 50000, 50000, 49040, 50000},
        {"end near the beginning: the start stays at 0", true, 0, 300, 0, 960},
        {"exactly the minimum stays", true, 49040, 50000, 49040, 50000},
        {"end well after the start stays", false, 1000, 50000, 1000, 50000},
        {"end within 500 frames of the start", false, 1000, 1500, 1000, 1960},
        {"end before the start", false, 1000, 10, 1000, 1960},
        {"start near the end of the file: the end never passes it", false, 95500, 95600, 95040, 96000},
        {"start at the end of the file", false, 96000, 96000, 95040, 96000},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        const auto range = c.startMoved ? SlotRange::withMovedStart (c.start, c.end, minLen, file)
                                        : SlotRange::withMovedEnd (c.start, c.end, minLen, file);
        EXPECT_EQ (range.getStart(), c.expectedStart);
        EXPECT_EQ (range.getEnd(), c.expectedEnd);
        EXPECT_GE (range.getStart(), 0);
        EXPECT_LE (range.getEnd(), file);
    }
}

TEST (SlotRange, LengthWithinBpmLimits)
{
    constexpr double rate = 96000;

    // 4 beats over 2 s is 120 BPM: the range may stay.
    EXPECT_EQ (SlotRange::lengthWithinBpmLimits (4, 192000, rate), -1);
    // No beats: nothing to keep.
    EXPECT_EQ (SlotRange::lengthWithinBpmLimits (0, 192000, rate), -1);
    // 1 beat over 2 s is 30 BPM: the range shrinks to 1.5 s (40 BPM).
    EXPECT_EQ (SlotRange::lengthWithinBpmLimits (1, 192000, rate), 144000);
    // 4 beats over 0.2 s is 1200 BPM: the range grows to 0.240 s (999.99 BPM).
    EXPECT_EQ (SlotRange::lengthWithinBpmLimits (4, 19200, rate), 23040);
    EXPECT_EQ (SlotRange::lengthWithinBpmLimits (4, 19200, 0), -1);
}

TEST (SlotRange, PlacedRangesShiftToStayInsideTheFile)
{
    constexpr juce::int64 file = 10000;

    const auto fromStart = SlotRange::startingAt (9000, 3000, file);
    EXPECT_EQ (fromStart, SlotRange::Frames (7000, 10000));

    const auto fromEnd = SlotRange::endingAt (1000, 3000, file);
    EXPECT_EQ (fromEnd, SlotRange::Frames (0, 3000));

    // Longer than the file: all of it.
    EXPECT_EQ (SlotRange::startingAt (500, 20000, file), SlotRange::Frames (0, 10000));
    EXPECT_EQ (SlotRange::endingAt (500, 20000, file), SlotRange::Frames (0, 10000));

    EXPECT_EQ (SlotRange::startingAt (100, 3000, file), SlotRange::Frames (100, 3100));
    EXPECT_EQ (SlotRange::endingAt (5000, 3000, file), SlotRange::Frames (2000, 5000));
}

TEST (SlotRange, TypedRangesKeepTheMinimumWithoutLeavingTheFile)
{
    constexpr double rate = 96000;
    constexpr juce::int64 file = 96000; // 1 s

    struct Case
    {
        const char* what;
        double start, end, expectedStart, expectedEnd;
    };

    const Case cases[] = {
        {"long enough stays", 0.2, 0.5, 0.2, 0.5},
        {"short range: the end follows the start", 0.2, 0.205, 0.2, 0.21},
        {"reversed range: the end follows the start", 0.5, 0.2, 0.5, 0.51},
        {"short range at the end of the file: the start goes back", 0.995, 0.998, 0.988, 0.998},
        {"start near the end and end before it: the last 0.01 s", 0.999, 0.5, 0.99, 1.0},
        {"start on the file's end", 1.0, 1.0, 0.99, 1.0},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        const auto range = SlotRange::withMinimumLength ({c.start, c.end}, rate, file);
        EXPECT_NEAR (range.start, c.expectedStart, 1.0e-9);
        EXPECT_NEAR (range.end, c.expectedEnd, 1.0e-9);
        EXPECT_LE ((juce::int64)std::trunc (range.end * rate), file);
        EXPECT_GE (range.end - range.start, 0.01 - 1.0e-9);
    }
}
} // namespace
