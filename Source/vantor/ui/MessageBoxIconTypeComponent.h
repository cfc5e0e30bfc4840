#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace vantor::ui
{
/** An invisible marker that an alert window carries as a custom component to choose the icon the
    look-and-feel draws in its top-left corner: 1 hint, 2 question, 3 warning, 4 info, 0 none. It
    paints nothing and keeps the size 0 x 0.

    Threads: message thread only. */
class MessageBoxIconTypeComponent : public juce::Component
{
public:
    enum Type
    {
        none = 0,
        hint = 1,
        question = 2,
        warning = 3,
        info = 4
    };

    MessageBoxIconTypeComponent();

    void setType (int newType) noexcept { type = newType; }
    int getType() const noexcept { return type; }

private:
    int type = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MessageBoxIconTypeComponent)
};
} // namespace vantor::ui
