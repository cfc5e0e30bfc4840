#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace vantor::slot
{
/** Drawing shared by the SLOT views: the pads and the detail editor's play button look alike,
    and both views carry the same kind of header. */
namespace PadLook
{
/** A colour of a button face as the look-and-feel adjusts button backgrounds: more saturated
    while the button (or a child) has the focus, half alpha while disabled, contrasted by 0.2
    when down or else by 0.05 when the mouse is over it. */
inline juce::Colour adjust (juce::Colour colour, const juce::Button& button, bool over, bool down)
{
    const auto focused = button.hasKeyboardFocus (true);
    colour = colour.withMultipliedSaturation (focused ? 1.3f : 0.9f);

    if (!button.isEnabled())
        colour = colour.withMultipliedAlpha (0.5f);

    if (down)
        return colour.contrasting (0.2f);

    return over ? colour.contrasting (0.05f) : colour;
}

/** The two shadows around a pad or the play button: a light rim above and a soft dark one
    below. */
inline void drawShadows (juce::Graphics& g, juce::Rectangle<int> buttonBounds)
{
    const juce::Colour base (0xff232323);
    const auto light = base.withLightness (juce::jmin (1.0f, base.getLightness() * 1.2f));
    const auto dark = base.withLightness (base.getLightness() * 0.6f);
    juce::DropShadow (light, 2, {}).drawForRectangle (g, buttonBounds.translated (0, -2));
    juce::DropShadow (dark, 10, {}).drawForRectangle (g, buttonBounds.translated (0, 5));
}

/** The header of the editing views: the title tab at the left, the end of the header line at the
    right, and above 413 px (the two pictures side by side) a black band with the accent line
    joining them. */
inline void drawHeader (juce::Graphics& g, const juce::Drawable* titleTab, const juce::Drawable* lineEnd,
                        int width)
{
    constexpr int tabWidth = 137, lineEndWidth = 276;

    if (lineEnd != nullptr)
        lineEnd->drawAt (g, (float)(width - lineEndWidth), 0.0f, 1.0f);

    if (titleTab != nullptr)
        titleTab->drawAt (g, 0.0f, 0.0f, 1.0f);

    if (width > tabWidth + lineEndWidth)
    {
        g.setColour (juce::Colours::black);
        g.fillRect (tabWidth, 0, width - tabWidth - lineEndWidth, 11);
        g.setColour (juce::Colour (0xffdc6f02));
        g.drawLine ((float)tabWidth, 11.5f, (float)(width - lineEndWidth), 11.5f, 1.0f);
    }
}
} // namespace PadLook
} // namespace vantor::slot
