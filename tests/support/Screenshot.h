#pragma once

#include "support/MessagePump.h"

#include <juce_core/juce_core.h>

namespace glorvak::test
{
// With GLORVAK_SCREENSHOTS set to a folder, lets the windows paint and saves the whole screen
// there as NAME.png (ImageMagick's import), for a person to look at. Does nothing otherwise.
inline void screenshot (const juce::String& name)
{
    const auto folder = juce::SystemStats::getEnvironmentVariable ("GLORVAK_SCREENSHOTS", {});

    if (folder.isEmpty())
        return;

    // Time for the windows to paint: this only feeds the picture, no test result depends on it.
    pumpMessagesUntil ([] { return false; }, 300);
    juce::ChildProcess import;

    if (import.start (juce::StringArray ("import", "-window", "root", folder + "/" + name + ".png"), 0))
        import.waitForProcessToFinish (10000);
}
} // namespace glorvak::test
