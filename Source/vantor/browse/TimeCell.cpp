#include "vantor/browse/TimeCell.h"

#include "vantor/browse/TimeBar.h"

namespace vantor::browse
{
TimeCell::TimeCell (juce::Component* table, std::function<double (int)> secondsOf, bool rounded)
    : ui::ColumnCustomComponent (table)
    , secondsOfRow (std::move (secondsOf))
    , roundedFrame (rounded)
{
}

void TimeCell::setRow (int newRow)
{
    ui::ColumnCustomComponent::setRow (newRow);
    const auto s = secondsOfRow (newRow);

    if (s != seconds)
    {
        seconds = s;
        repaint();
        getContent().repaint();
    }

    setTooltip (TimeBar::tooltipFor (seconds));
}

void TimeCell::paintContent (juce::Graphics& g, int width, int height)
{
    TimeBar::paint (g, width, height, seconds, roundedFrame);
}

void TimeCell::resized()
{
    getContent().setBounds (TimeBar::barBounds (getWidth(), getHeight()));
}
} // namespace vantor::browse
