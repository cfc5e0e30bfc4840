#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace vantor::browse
{
/** A BANK's playback time drawn against the unit's 16-second limit: white up to the limit, full
    and red beyond it, with the remaining or the exceeded seconds as the tooltip.
    Threads: message thread (the texts are translated when made). */
struct TimeBar
{
    static constexpr double limitSeconds = 16.0;

    /** The filled width of a bar whose inside is innerWidth wide. */
    static int fillWidth (int innerWidth, double seconds);

    /** "Remaining: 3.500 seconds" or "Exceeded: 1.250 seconds", translated. */
    static juce::String tooltipFor (double seconds);

    /** The 80 x 10 bar centred in a cell of the size. */
    static juce::Rectangle<int> barBounds (int cellWidth, int cellHeight);

    /** The frame (a 1-pixel outline, or a filled rounded rectangle), the black inside and the
        fill. */
    static void paint (juce::Graphics& g, int width, int height, double seconds, bool roundedFrame);
};
} // namespace vantor::browse
