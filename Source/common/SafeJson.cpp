#include "common/SafeJson.h"

#include <cstring>
#include <limits>

namespace common
{
juce::Result SafeJson::parse (const juce::String& text, juce::var& result, int maxNesting)
{
    if (deepestNesting (text) > maxNesting)
    {
        result = juce::var();
        return juce::Result::fail ("JSON nested too deeply");
    }

    return juce::JSON::parse (text, result);
}

juce::var SafeJson::parse (const juce::String& text, int maxNesting)
{
    juce::var result;
    return parse (text, result, maxNesting).wasOk() ? result : juce::var();
}

std::optional<juce::String> SafeJson::textFromBytes (const void* data, size_t size)
{
    const auto* bytes = static_cast<const juce::uint8*> (data);

    if (size == 0)
        return juce::String();

    // JUCE converts UTF-16 behind either byte-order mark one code unit at a time, whatever they hold.
    const bool utf16 =
        size >= 2 && ((bytes[0] == 0xff && bytes[1] == 0xfe) || (bytes[0] == 0xfe && bytes[1] == 0xff));

    if (!utf16 && !isUtf8Text (data, size))
        return std::nullopt;

    return juce::String::createStringFromData (data, (int)size);
}

bool SafeJson::isUtf8Text (const void* data, size_t size)
{
    return size <= (size_t)std::numeric_limits<int>::max() && std::memchr (data, 0, size) == nullptr &&
           juce::CharPointer_UTF8::isValidString (static_cast<const char*> (data), (int)size);
}

int SafeJson::deepestNesting (const juce::String& text)
{
    int depth = 0, deepest = 0;
    juce::juce_wchar quote = 0; // the quote that opened the string we are in; JUCE takes ' and "
    bool escaped = false;

    for (auto p = text.getCharPointer(); !p.isEmpty(); ++p)
    {
        const auto c = *p;

        if (quote != 0)
        {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == quote)
                quote = 0;
        }
        else if (c == '"' || c == '\'')
            quote = c;
        else if (c == '{' || c == '[')
            deepest = juce::jmax (deepest, ++depth);
        else if (c == '}' || c == ']')
            depth = juce::jmax (0, depth - 1);
    }

    return deepest;
}
} // namespace common
