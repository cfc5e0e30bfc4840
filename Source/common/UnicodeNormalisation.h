#pragma once

#include <juce_core/juce_core.h>

namespace common
{
/** The text in Unicode normalisation form C; the text unchanged when it cannot be normalised
    (for instance when it is not valid UTF-8). */
juce::String normaliseToNfc (const juce::String& text);

/** The file at the path in normalisation form C. Linux file names are bytes, not normalised
    text: when a file exists at the given path but not at the normalised one (a name written in
    decomposed form, as macOS writes them), the given path is kept so the file stays reachable.
    A relative path is taken from the current working folder; an empty one gives an empty file. */
juce::File normaliseToNfcFile (const juce::String& path);
} // namespace common
