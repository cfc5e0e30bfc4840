#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace vantor::ui
{
/** The SVG documents of the program's icons and title graphics, each drawn 1:1 at its own width
    and height. Lettering inside them is drawn as outlines, not as SVG text, so it stays the same
    in every language.

    Threads: the texts are built once, on the first call of get from any thread (the ready-made
    program sets them up before main), and are read-only afterwards. */
class IconSvgs
{
public:
    enum class Id
    {
        switchOff,              // 33 x 17
        switchOn,               // 33 x 17
        logotype,               // 90 x 11
        hintIcon,               // 30 x 30
        questionIcon,           // 30 x 30
        warningIcon,            // 30 x 30
        infoIcon,               // 30 x 30
        slotEditTitle,          // 137 x 29
        slotEditTitleRule,      // 276 x 29
        zoomIn,                 // 13 x 13
        zoomOut,                // 13 x 13
        zoomReset,              // 13 x 13
        rangeArrows,            // 20 x 10
        play,                   // 16 x 16
        stop,                   // 15 x 15
        oneShotOff,             // 22 x 8, grey
        oneShotOn,              // 22 x 8, white
        loopOff,                // 22 x 14, grey
        loopOn,                 // 22 x 14, white
        help,                   // 16 x 16
        bankEditTitle,          // 137 x 29
        bankEditTitleRule,      // 276 x 29
        oneShotColumn,          // 18 x 6
        loopColumn,             // 18 x 12
        sliderThumb,            // 13 x 17
        sliderTrack,            // 67 x 4
        sliderScale,            // 65 x 6
        banksTitle,             // 137 x 29
        banksTitleRule,         // 276 x 29
        favoriteOff,            // 16 x 15
        favoriteOn,             // 16 x 15
        exportButton,           // 97 x 24
        sampleBrowseTitle,      // 112 x 14
        userSelected,           // 136 x 24
        factorySelected,        // 136 x 24
        bankCollectionTitle,    // 122 x 14
        bankCollectionVertical, // 9 x 147, reads bottom to top
        closeVertical,          // 9 x 147, reads bottom to top
        bankTitle,              // 137 x 29
    };

    static constexpr int numIds = (int)Id::bankTitle + 1;

    /** The SVG document. */
    static const juce::String& get (Id id);

    /** The document parsed; null only if the text were broken. */
    static std::unique_ptr<juce::Drawable> createDrawable (Id id);

private:
    IconSvgs() = delete;
};
} // namespace vantor::ui
