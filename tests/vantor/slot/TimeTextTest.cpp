#include "vantor/slot/TimeText.h"

#include <gtest/gtest.h>

#include <limits>

namespace
{
using vantor::slot::formatPlaybackTime;
using vantor::slot::parseHundredths;

TEST (PlaybackTimeText, ReadsMinutesSecondsAndMillisecondsRoundedFirst)
{
    const struct
    {
        double seconds;
        const char* text;
    } cases[] = {
        {0.0, "0:00.000"},
        {0.5, "0:00.500"},
        {1.5, "0:01.500"},
        {5.25, "0:05.250"},
        {75.25, "1:15.250"},
        {75.5, "1:15.500"},
        {83.25, "1:23.250"},
        {600.0, "10:00.000"},
        {16.001, "0:16.001"},
        // A 5,759,999-frame range at 96 kHz is 59.99998958 s: split before rounding it would
        // read "0:60.000".
        {5759999.0 / 96000.0, "1:00.000"},
        {59.9995, "1:00.000"},
        {59.9994, "0:59.999"},
        {119.9999, "2:00.000"},
        {1800.0, "30:00.000"},
        {-0.25, "0:00.000"},
        {std::numeric_limits<double>::quiet_NaN(), "0:00.000"},
        {std::numeric_limits<double>::infinity(), "0:00.000"},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.seconds);
        EXPECT_EQ (formatPlaybackTime (c.seconds), c.text);
    }
}

TEST (PlaybackTimeText, NoFrameCountAt96kHzReadsSixtySeconds)
{
    for (juce::int64 frames = 0; frames < 96000LL * 60 * 31; frames += 997)
    {
        const auto text = formatPlaybackTime ((double)frames / 96000.0);
        ASSERT_FALSE (text.fromFirstOccurrenceOf (":", false, false).startsWith ("60")) << frames;
    }
}

TEST (HundredthsText, TypedNumbersBecomeTheirHundredths)
{
    const struct
    {
        const char* text;
        int hundredths;
    } cases[] = {
        {"40.05", 4005}, {"8.20", 820}, {"120", 12000}, {"123.45", 12345}, {"999.99", 99999}, {"0.01", 1},
        {"0", 0},        {"", 0},       {"abc", 0},     {".5", 50},        {"4.00", 400},     {"1e400", 0},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.text);
        EXPECT_EQ (parseHundredths (c.text), c.hundredths);
    }
}

TEST (HundredthsText, EveryShownBpmComesBackUnchanged)
{
    // The BPM label and the beats box show values with two decimals; sending them back must
    // not lose a hundredth (truncating 40.05 x 100 = 4004.9999... gave 4004).
    for (int hundredths = 4000; hundredths <= 99999; ++hundredths)
        ASSERT_EQ (parseHundredths (juce::String::formatted ("%.2f", hundredths / 100.0)), hundredths)
            << hundredths;
}
} // namespace
