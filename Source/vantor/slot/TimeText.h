#pragma once

#include <juce_core/juce_core.h>

#include <cmath>

namespace vantor::slot
{
/** A playback time as the views show it, minutes:seconds.milliseconds ("1:15.500", "0:05.250").
    The time is rounded to whole milliseconds before it is split into minutes and seconds: split
    first, 59.9999995 s would read "0:60.000". Negative and not-a-number times read as 0. */
inline juce::String formatPlaybackTime (double seconds)
{
    const auto millis = std::isfinite (seconds) && seconds > 0.0 ? std::llround (seconds * 1000.0) : 0LL;
    const auto minutes = millis / 60000;
    const auto rest = (double)(millis - minutes * 60000) / 1000.0;
    return juce::String::formatted ("%d:%06.3lf", (int)minutes, rest);
}

/** A typed decimal number as hundredths, rounded: "40.05" is 4005, where truncating the double
    4004.9999 would give 4004. Text that is no number counts as 0. */
inline int parseHundredths (const juce::String& text)
{
    const auto value = text.getDoubleValue();
    return std::isfinite (value) ? (int)std::llround (juce::jlimit (-1.0e7, 1.0e7, value) * 100.0) : 0;
}

} // namespace vantor::slot
