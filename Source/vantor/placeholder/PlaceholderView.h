#pragma once

#include "common/LocaleObserver.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace vantor::service
{
class ClipboardObserver;
}

namespace vantor::placeholder
{
/** Attaches (true) or detaches (false) a clipboard observer at the service. */
using ClipboardLink = std::function<void (service::ClipboardObserver*, bool attach)>;

/** Stands in for a view that is not built yet: a framed box with the view's name and a few
    lines of what its view model last said, so that the wiring can be seen and tested.
    Threads: message thread only. */
class PlaceholderView : public juce::Component, public common::LocaleObserver
{
public:
    explicit PlaceholderView (const juce::String& title)
        : juce::Component (title)
    {
    }

    void paint (juce::Graphics& g) override
    {
        g.setColour (juce::Colour (0xff2c2c2c));
        g.fillRect (getLocalBounds());
        g.setColour (juce::Colour (0xff6a6a6a));
        g.drawRect (getLocalBounds());
        g.setColour (juce::Colours::white);
        g.setFont (juce::Font (15.0f, juce::Font::bold));
        g.drawText (TRANS (getName()), getLocalBounds().reduced (8).removeFromTop (20),
                    juce::Justification::centredLeft, true);
        g.setFont (juce::Font (13.0f));
        auto area = getLocalBounds().reduced (8).withTrimmedTop (26);
        for (const auto& line : lines)
            g.drawText (line, area.removeFromTop (18), juce::Justification::centredLeft, true);
    }

    void localeChanged() override
    {
        ++localeChanges;
        repaint();
    }

    /** What the box shows below its name. */
    juce::StringArray lines;
    int localeChanges = 0;
};
} // namespace vantor::placeholder
