#pragma once

#include <juce_core/juce_core.h>

namespace vantor::browse
{
/** How the sample pages preview a file through the process-wide preview player: each page keeps
    the URL it last handed to the player and stops only its own preview.
    Threads: message thread. */
struct SamplePreview
{
    /** The preview gain: +1 dB, whatever the gain of the SLOT that played before. */
    static constexpr float gain = 1.12202f;

    /** Loads the file unless the player holds it already (remembering its URL in pageUrl), then
        plays from the start. */
    static void play (juce::URL& pageUrl, const juce::File& file);

    /** The Space key: the player's own file stops or plays again from the start; another file is
        previewed. */
    static void toggle (juce::URL& pageUrl, const juce::File& file);

    /** Stops the player when it exists, holds pageUrl and plays; never creates the player. */
    static void stopIfPlaying (const juce::URL& pageUrl);

    /** While a file is dragged the help overlay points at the SLOT view, where the file can be
        dropped: a drag's start shows the one step slotViewTarget, its end hides the overlay.
        Nothing when the overlay does not exist. */
    static void pointAtSlotView (bool dragging);

    /** The name under which the main view registers the SLOT view with the help overlay. */
    static constexpr const char* slotViewTarget = "slotView";
};
} // namespace vantor::browse
