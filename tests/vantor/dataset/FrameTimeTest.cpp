#include "vantor/dataset/FrameTime.h"

#include <gtest/gtest.h>

#include <limits>

namespace
{
using vantor::dataset::FrameTime;

TEST (FrameTime, FramesOfATime)
{
    constexpr auto largest = std::numeric_limits<juce::int64>::max();
    constexpr auto smallest = std::numeric_limits<juce::int64>::min();

    EXPECT_EQ (FrameTime::toFrames (1.5, 96000), 144000);
    EXPECT_EQ (FrameTime::toFrames (0.29, 96000), 27840); // 27839.999999999996 in double
    EXPECT_EQ (FrameTime::toFrames (27839.99 / 96000, 96000), 27839);
    EXPECT_EQ (FrameTime::toFrames (-0.00001, 96000), 0);
    EXPECT_EQ (FrameTime::toFrames (1.0e300, 96000), largest);
    EXPECT_EQ (FrameTime::toFrames (std::numeric_limits<double>::infinity(), 96000), largest);
    EXPECT_EQ (FrameTime::toFrames (-1.0e300, 96000), smallest);
    EXPECT_EQ (FrameTime::toFrames (std::numeric_limits<double>::quiet_NaN(), 96000), 0);
}

TEST (FrameTime, SecondsOfFrames)
{
    constexpr auto nan = std::numeric_limits<double>::quiet_NaN();

    struct Case
    {
        const char* what;
        juce::int64 frames;
        double rate;
        double expected;
    };

    const Case cases[] = {
        {"one second at 96 kHz", 96000, 96000, 1.0},
        {"a frame at 44.1 kHz", 1, 44100, 1.0 / 44100},
        {"no frames", 0, 96000, 0.0},
        {"no sample rate", 96000, 0, 0.0},
        {"a negative sample rate", 96000, -96000, 0.0},
        {"a sample rate that is not a number", 96000, nan, 0.0},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        EXPECT_EQ (FrameTime::toSeconds (c.frames, c.rate), c.expected);
    }
}

TEST (FrameTime, SecondsMadeFromFramesNameTheSameFrames)
{
    // What the views show and the user types back must land on the frame it came from.
    for (const double rate : {44100.0, 48000.0, 88200.0, 96000.0, 11025.0})
        for (juce::int64 frame = 0; frame < 200000; frame += 997)
            ASSERT_EQ (FrameTime::toFrames (FrameTime::toSeconds (frame, rate), rate), frame) << rate;
}

TEST (FrameTime, RangeInSecondsNeverEndsBeforeItsStart)
{
    const auto seconds = FrameTime::toSeconds (juce::Range<juce::int64> (48000, 96000), 96000);
    EXPECT_EQ (seconds.start, 0.5);
    EXPECT_EQ (seconds.end, 1.0);

    const auto withoutRate = FrameTime::toSeconds (juce::Range<juce::int64> (48000, 96000), 0);
    EXPECT_EQ (withoutRate.start, 0.0);
    EXPECT_EQ (withoutRate.end, 0.0);
}
} // namespace
