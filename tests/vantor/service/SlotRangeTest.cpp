#include "vantor/service/SlotRange.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
using vantor::service::SlotRange;

TEST (SlotRange, MinimumLengthIsOneHundredthOfASecond)
{
    EXPECT_EQ (SlotRange::minimumLength (96000), 960);
    EXPECT_EQ (SlotRange::minimumLength (44100), 441);
    EXPECT_EQ (SlotRange::minimumLength (0), 0);
}

TEST (SlotRange, NotANumberAndTheInfinitiesAreNoTime)
{
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

TEST (SlotRange, RangesOfBeatsKeepTheMinimumInsideTheFile)
{
    constexpr juce::int64 file = 96000; // 1 s at 96 kHz

    struct Case
    {
        const char* what;
        double rate;
        juce::int64 start, length, expectedStart, expectedEnd;
        bool corrected;
    };

    const Case cases[] = {
        {"fits: unchanged", 96000, 1000, 48000, 1000, 49000, false},
        {"exactly to the file's end", 96000, 48000, 48000, 48000, 96000, false},
        {"past the file's end: cut there", 96000, 60000, 48000, 60000, 96000, true},
        {"too short: made 0.01 s", 96000, 1000, 100, 1000, 1960, true},
        {"no length: made 0.01 s", 96000, 1000, 0, 1000, 1960, true},
        {"negative length: made 0.01 s", 96000, 1000, -500, 1000, 1960, true},
        {"too short at the file's end: the start moves back", 96000, 95500, 100, 95040, 96000, true},
        {"start beyond the file: the file's last 0.01 s", 96000, 99000, 48000, 95040, 96000, true},
        // 110 frames at 11025 Hz are a hair under 0.01 s: the beats shown must follow.
        {"a rate whose hundredth is no whole frame", 11025, 0, 110, 0, 110, true},
        {"the minimum at that rate and a frame more", 11025, 0, 111, 0, 111, false},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        const auto placed = SlotRange::forLength (c.start, c.length, c.rate, file);
        EXPECT_EQ (placed.frames, SlotRange::Frames (c.expectedStart, c.expectedEnd));
        EXPECT_EQ (placed.corrected, c.corrected);
    }
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
