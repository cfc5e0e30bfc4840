#pragma once

#include <juce_graphics/juce_graphics.h>

namespace vantor::ui
{
/** The typeface every text of the program is drawn with. JUCE 7 draws a text with one typeface
    and no glyph fallback, and its font list never reads ".ttc" collections, so with Debian's
    default fonts Japanese and Chinese come out as boxes; WenQuanYi Micro Hei (Debian's
    fonts-wqy-microhei, installed by scripts/setup) holds Latin, kana and Han, and is loaded here
    from its collection file.

    Threads: get may be called from any thread; the typeface is loaded once, under a lock. */
class TypefaceChoice
{
public:
    /** The loaded typeface, or null when none of the known files exists (JUCE's default sans
        serif typeface is used then). */
    static juce::Typeface::Ptr get();

    /** Where the collection is looked for, first found wins. */
    static juce::StringArray getCandidateFiles();

private:
    TypefaceChoice() = delete;
};
} // namespace vantor::ui
