#pragma once

#include "vantor/ui/ColumnCustomComponent.h"

#include <functional>

namespace vantor::browse
{
/** The time cell of the BANK table and of the bank-collection table: the row's playback time as
    a bar against the 16-second limit, with the remaining or exceeded seconds as its tooltip.
    Threads: message thread. */
class TimeCell : public ui::ColumnCustomComponent
{
public:
    /** secondsOfRow reads the owner's copy of the rows; the owner outlives the cell. */
    TimeCell (juce::Component* table, std::function<double (int row)> secondsOfRow, bool roundedFrame);

    void setRow (int newRow) override;
    void paintContent (juce::Graphics& g, int width, int height) override;
    void resized() override;

    double getSeconds() const noexcept { return seconds; }

private:
    const std::function<double (int)> secondsOfRow;
    const bool roundedFrame;
    double seconds = 0.0;
};
} // namespace vantor::browse
