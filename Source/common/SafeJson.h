#pragma once

#include <juce_core/juce_core.h>

namespace common
{
/** JSON reading for text that comes from outside (files, servers): JUCE's parser recurses once
    per level of nesting, so a small text of many brackets overflows the stack. Text nested deeper
    than any document of ours is refused before it reaches the parser. */
class SafeJson
{
public:
    static constexpr int defaultMaxNesting = 64;

    /** Like juce::JSON::parse, but fails without parsing when objects and arrays nest deeper
        than maxNesting. */
    static juce::Result parse (const juce::String& text, juce::var& result,
                               int maxNesting = defaultMaxNesting);

    /** The parsed value, or a void var when the text is not JSON or nests too deep. */
    static juce::var parse (const juce::String& text, int maxNesting = defaultMaxNesting);

    /** The deepest nesting of objects and arrays outside string literals. */
    static int deepestNesting (const juce::String& text);

private:
    SafeJson() = delete;
};
} // namespace common
