#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace vantor::slot_detail
{
/** Sets up a "-" or "+" button beside a value (the time boxes, the gain knob): its name as light
    text, one step per click, repeating while held (after 300 ms, then every 100 ms, speeding up to
    every 20 ms), no keyboard focus and not announced to accessibility tools (the value is). */
inline void setUpStepButton (juce::DrawableButton& button, std::function<void()> step)
{
    button.setColour (juce::DrawableButton::textColourId, juce::Colour (0xffd9d9d9));
    button.onClick = std::move (step);
    button.setRepeatSpeed (300, 100, 20);
    button.setAccessible (false);
    button.setWantsKeyboardFocus (false);
}
} // namespace vantor::slot_detail
