#include "common/updater/DialogButtons.h"

namespace common::updater
{
juce::TextButton* findButton (juce::AlertWindow& window, const juce::String& text)
{
    for (auto* child : window.getChildren())
        if (auto* button = dynamic_cast<juce::TextButton*> (child))
            if (button->getButtonText() == text)
                return button;

    return nullptr;
}

void makeDefaultButton (juce::AlertWindow& window, const juce::String& text)
{
    if (auto* button = findButton (window, text))
    {
        button->setColour (juce::TextButton::buttonColourId, juce::Colour (0xffffffff));
        button->setColour (juce::TextButton::textColourOffId, juce::Colour (0xff000000));
    }
}
} // namespace common::updater
