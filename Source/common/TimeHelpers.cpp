#include "common/TimeHelpers.h"

#include <ctime>
#include <unistd.h>

namespace common
{
namespace
{
constexpr std::uint64_t ticksPerSecond = 10000000;

std::uint64_t toTicks (const FileTime& time)
{
    return ((std::uint64_t)time.highDateTime << 32) | time.lowDateTime;
}

FileTime fromTicks (std::uint64_t ticks)
{
    return {(std::uint32_t) (ticks & 0xffffffffu), (std::uint32_t) (ticks >> 32)};
}

FileTime fromTimespec (const timespec& t)
{
    return unixTimeToFileTime (t.tv_sec, t.tv_nsec);
}
} // namespace

FileTime unixTimeToFileTime (std::int64_t seconds, std::int64_t nanoseconds)
{
    const auto sinceEpoch = seconds + fileTimeEpochOffsetSeconds;

    if (sinceEpoch < 0)
        return {};

    return fromTicks ((std::uint64_t)sinceEpoch * ticksPerSecond + (std::uint64_t) (nanoseconds / 100));
}

double fileTimeToSeconds (const FileTime& time)
{
    return (double)toTicks (time) * 1.0e-7;
}

double getSystemTimeSeconds()
{
    timespec now{};
    clock_gettime (CLOCK_REALTIME, &now);
    return fileTimeToSeconds (fromTimespec (now));
}

std::int64_t parseProcessStartTicks (const juce::String& statText)
{
    // The command name may itself contain ") ", so the fields start after the last ')'.
    const auto closing = statText.lastIndexOfChar (')');
    if (closing < 0)
        return -1;

    auto fields = juce::StringArray::fromTokens (statText.substring (closing + 1), " \n", "");
    fields.removeEmptyStrings();

    // fields[0] is field 3 (state), so field 22 (start time) is fields[19].
    constexpr int startTimeIndex = 22 - 3;
    if (fields.size() <= startTimeIndex)
        return -1;

    const auto& text = fields[startTimeIndex];
    if (text.isEmpty() || !text.containsOnly ("0123456789") || text.length() > 18)
        return -1;

    return text.getLargeIntValue();
}

double getProcessStartTimeSeconds()
{
    const auto startTicks = parseProcessStartTicks (juce::File ("/proc/self/stat").loadFileAsString());
    const auto ticksPerSecondOfKernel = sysconf (_SC_CLK_TCK);

    timespec now{}, sinceBoot{};
    if (startTicks < 0 || ticksPerSecondOfKernel <= 0 || clock_gettime (CLOCK_REALTIME, &now) != 0 ||
        clock_gettime (CLOCK_BOOTTIME, &sinceBoot) != 0)
        return getSystemTimeSeconds();

    // The kernel counts the start from boot (suspended time included); the boot moment in wall
    // time is now minus the time since boot.
    const auto bootSeconds = fileTimeToSeconds (fromTimespec (now)) -
                             ((double)sinceBoot.tv_sec + (double)sinceBoot.tv_nsec * 1.0e-9);
    return bootSeconds + (double)startTicks / (double)ticksPerSecondOfKernel;
}
} // namespace common
