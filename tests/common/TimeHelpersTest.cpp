#include "common/TimeHelpers.h"

#include <gmock/gmock.h>

namespace
{
using namespace common;

TEST (TimeHelpers, FileTimeEpochIs1601)
{
    EXPECT_EQ (fileTimeEpochOffsetSeconds, 11644473600);
    EXPECT_DOUBLE_EQ (fileTimeToSeconds (unixTimeToFileTime (0, 0)), 11644473600.0);

    // 116444736000000000 ticks: the Unix epoch as Windows writes it.
    const auto unixEpoch = unixTimeToFileTime (0, 0);
    EXPECT_EQ (unixEpoch.highDateTime, 0x019db1deu);
    EXPECT_EQ (unixEpoch.lowDateTime, 0xd53e8000u);

    EXPECT_DOUBLE_EQ (fileTimeToSeconds (unixTimeToFileTime (946684800, 500000000)), 12591158400.5);
    EXPECT_DOUBLE_EQ (fileTimeToSeconds (unixTimeToFileTime (-fileTimeEpochOffsetSeconds - 1, 0)), 0.0);
}

TEST (TimeHelpers, TicksAreTakenUnsigned)
{
    EXPECT_DOUBLE_EQ (fileTimeToSeconds ({0, 0}), 0.0);
    EXPECT_DOUBLE_EQ (fileTimeToSeconds ({10000000, 0}), 1.0);
    EXPECT_DOUBLE_EQ (fileTimeToSeconds ({0, 0x80000000u}), 9223372036854775808.0 * 1.0e-7);
    EXPECT_DOUBLE_EQ (fileTimeToSeconds ({0xffffffffu, 0xffffffffu}), 18446744073709551615.0 * 1.0e-7);
}

TEST (TimeHelpers, SystemTimeAgreesWithJuceClock)
{
    const auto unixSeconds = (double)juce::Time::currentTimeMillis() / 1000.0;
    EXPECT_NEAR (getSystemTimeSeconds() - (double)fileTimeEpochOffsetSeconds, unixSeconds, 1.0);
}

TEST (TimeHelpers, ProcessStartIsShortlyBeforeNow)
{
    const auto start = getProcessStartTimeSeconds();
    const auto now = getSystemTimeSeconds();

    // The test program has only just started; a wrong epoch or clock would be off by years.
    EXPECT_GT (now - start, 0.0);
    EXPECT_LT (now - start, 600.0);
}

struct StatCase
{
    const char* name;
    const char* text;
    std::int64_t expected;
};

const StatCase statCases[] = {
    {"plain", "1234 (prog) S 1 1234 1234 0 -1 4194560 100 0 0 0 1 2 0 0 20 0 1 0 987654 12345678 300\n",
     987654},
    {"name with blanks and parentheses", "77 (a) b (c) R 1 77 77 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 42 1 2\n",
     42},
    {"nothing after the start time", "1 (x) S 1 1 1 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 5", 5},
    {"too few fields", "1 (x) S 1 1 1 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0", -1},
    {"start time not a number", "1 (x) S 1 1 1 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 -5 9", -1},
    {"no closing parenthesis", "1 (x S 1 1 1 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 5", -1},
    {"absurdly long number", "1 (x) S 1 1 1 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 99999999999999999999999 9", -1},
    {"empty", "", -1},
};

TEST (TimeHelpers, ParsesStartTimeOfProcStat)
{
    for (const auto& c : statCases)
    {
        SCOPED_TRACE (c.name);
        EXPECT_EQ (parseProcessStartTicks (c.text), c.expected);
    }
}
} // namespace
