#pragma once

#include <juce_core/juce_core.h>

#include <cstdint>

namespace common
{
/** A point in time as 100-nanosecond ticks since 1601-01-01 00:00 UTC, split into two 32-bit
    halves. The usage statistics store their durations in this epoch, so the program keeps it on
    every platform. */
struct FileTime
{
    std::uint32_t lowDateTime = 0;
    std::uint32_t highDateTime = 0;
};

/** Seconds between 1601-01-01 and 1970-01-01, both UTC. */
inline constexpr std::int64_t fileTimeEpochOffsetSeconds = 11644473600;

/** A Unix time (seconds and nanoseconds since 1970) as a FileTime; times before 1601 give 0. */
FileTime unixTimeToFileTime (std::int64_t seconds, std::int64_t nanoseconds);

/** The FileTime's tick count, taken unsigned, times 1e-7. */
double fileTimeToSeconds (const FileTime& time);

/** Now, in seconds since 1601. */
double getSystemTimeSeconds();

/** When this process was created, in seconds since 1601; from /proc/self/stat, to the kernel's
    clock tick. When /proc cannot be read, the current time, so that a duration measured from
    it is 0 rather than nonsense. */
double getProcessStartTimeSeconds();

/** The start time (field 22) of a /proc/<pid>/stat text, in clock ticks after boot; -1 when the
    text is malformed. The command name in field 2 may hold blanks and parentheses. */
std::int64_t parseProcessStartTicks (const juce::String& statText);
} // namespace common
