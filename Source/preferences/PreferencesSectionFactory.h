#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace preferences
{
/** Makes the titled sections of one group of settings for the preferences overlay. */
class PreferencesSectionFactory
{
public:
    virtual ~PreferencesSectionFactory() = default;

    /** New sections; the caller takes ownership. Their controls are bound to values that the
        factory keeps, so the factory must outlive them. */
    virtual juce::Array<juce::Component*> createSections() = 0;
};
} // namespace preferences
