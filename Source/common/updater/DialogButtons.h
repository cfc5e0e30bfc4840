#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace common::updater
{
/** The text button of the window with exactly this (translated) text, or null. */
juce::TextButton* findButton (juce::AlertWindow& window, const juce::String& text);

/** Marks the button with this text as the dialog's default answer: white face, black text. The
    updater's dialogs and the program's own share this one look. */
void makeDefaultButton (juce::AlertWindow& window, const juce::String& text);
} // namespace common::updater
