#pragma once

#include "vantor/ui/IconSvgs.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace vantor::slot
{
/** The icon with one solid colour swapped for another, for the hover, pressed and marker variants
    of the program's pictures. The pictures write their colours as hex ("#FFFFFF" for white), so a
    replacement of the colour name in the text would silently change nothing; swapping the parsed
    colour cannot miss. Null only if the picture were broken. */
inline std::unique_ptr<juce::Drawable> tintedIcon (vantor::ui::IconSvgs::Id id, juce::Colour from,
                                                   juce::Colour to)
{
    auto drawable = vantor::ui::IconSvgs::createDrawable (id);

    if (drawable != nullptr)
        drawable->replaceColour (from, to);

    return drawable;
}

/** The white of the pictures. */
inline const juce::Colour iconWhite{0xffffffff};
/** The grey of the pictures' normal state. */
inline const juce::Colour iconGrey{0xffaaaaaa};
} // namespace vantor::slot
