#include "common/SafeJson.h"

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
