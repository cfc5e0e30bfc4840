#include "vantor/browse/TimeBar.h"

namespace vantor::browse
{
int TimeBar::fillWidth (int innerWidth, double seconds)
{
    const auto part = juce::jlimit (0.0f, 1.0f, (float)(seconds * (1.0 / limitSeconds)));
    return juce::jmax (0, (int)((float)juce::jmax (0, innerWidth) * part));
}

juce::String TimeBar::tooltipFor (double seconds)
{
    if (seconds > limitSeconds)
        return TRANS ("Exceeded: {sec} seconds")
            .replace ("{sec}", juce::String::formatted ("%.3f", seconds - limitSeconds));

    return TRANS ("Remaining: {sec} seconds")
        .replace ("{sec}", juce::String::formatted ("%.3f", limitSeconds - seconds));
}

juce::Rectangle<int> TimeBar::barBounds (int cellWidth, int cellHeight)
{
    return {(cellWidth - 80) / 2, (cellHeight - 10) / 2, 80, 10};
}

void TimeBar::paint (juce::Graphics& g, int w, int h, double seconds, bool roundedFrame)
{
    g.setColour (juce::Colour (0xff333333));
    if (roundedFrame)
        g.fillRoundedRectangle (0.0f, 0.0f, (float)w, (float)h, 1.0f);
    else
        g.drawRect (0, 0, w, h, 1);

    const int innerWidth = juce::jmax (0, w - 2);
    const int innerHeight = juce::jmax (0, h - 2);
    g.setColour (juce::Colour (0xff000000));
    g.fillRect (1, 1, innerWidth, innerHeight);

    g.setColour (juce::Colour (seconds > limitSeconds ? 0xffff0000 : 0xffffffff));
    g.fillRect (1, 1, fillWidth (innerWidth, seconds), innerHeight);
}
} // namespace vantor::browse
