#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The main window's content. Its size sets the window's initial size.
class MainComponent : public juce::Component
{
public:
    MainComponent();

    void paint (juce::Graphics& g) override;

    static constexpr int initialWidth = 1280;
    static constexpr int initialHeight = 800;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainComponent)
};
