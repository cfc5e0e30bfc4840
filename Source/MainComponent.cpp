#include "MainComponent.h"

MainComponent::MainComponent()
{
    setSize (initialWidth, initialHeight);
}

void MainComponent::paint (juce::Graphics& g)
{
    g.fillAll (getLookAndFeel().findColour (juce::ResizableWindow::backgroundColourId));
}
