#pragma once

#include <juce_core/juce_core.h>

#include <optional>

namespace common
{
/** Turning bytes from outside (files, servers, the system) into text and JSON without trusting
    them. JUCE's string code walks bytes that are not UTF-8 past the end of their buffer, so such
    bytes never become a juce::String; and JUCE's parser recurses once per level of nesting, so text
    nested deeper than any document of ours is refused before it reaches the parser. */
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

    /** The text of bytes from outside: UTF-8 (a byte-order mark is dropped) or UTF-16 led by its
        byte-order mark; nothing for anything else. A juce::String must never be made of other
        bytes: JUCE's string code walks such bytes past the end of their buffer. */
    static std::optional<juce::String> textFromBytes (const void* data, size_t size);

    /** True when all the bytes are UTF-8 and none is 0: only such bytes may become a juce::String
        (JUCE's own check stops at the first 0 and passes whatever follows). */
    static bool isUtf8Text (const void* data, size_t size);

    /** The deepest nesting of objects and arrays outside string literals. */
    static int deepestNesting (const juce::String& text);

private:
    SafeJson() = delete;
};
} // namespace common
