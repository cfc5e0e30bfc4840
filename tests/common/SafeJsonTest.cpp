#include "common/SafeJson.h"

#include <gtest/gtest.h>

using common::SafeJson;

TEST (SafeJson, CountsNestingAsJucesParserSeesIt)
{
    const struct
    {
        const char* text;
        int depth;
    } cases[] = {
        {"", 0},
        {"42", 0},
        {"{}", 1},
        {R"({"a": [1, {"b": []}]})", 4},
        {R"(["[[[[", "{{{{"])", 1}, // brackets in strings do not count
        {R"(["\"[[[[\\"])", 1},     // nor after escaped quotes
        {R"(["a\\", [[]]])", 3},    // an escaped backslash ends nothing
        {R"(['"', [[[]]]])", 4},    // JUCE reads single-quoted strings too: their '"' opens nothing
        {R"(['it\'s', [[]]])", 3},  // and escapes their own quote
        {"]]]][[", 2},              // stray closers do not hide later openers
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.text);
        EXPECT_EQ (SafeJson::deepestNesting (c.text), c.depth);
    }
}

TEST (SafeJson, RefusesDeepNestingWithoutParsingAndParsesTheRest)
{
    const auto depth = 200000;
    const auto deep = juce::String::repeatedString ("[", depth) + juce::String::repeatedString ("]", depth);

    juce::var result (1);
    EXPECT_TRUE (SafeJson::parse (deep, result).failed());
    EXPECT_TRUE (result.isVoid());
    EXPECT_TRUE (SafeJson::parse ("{'a': '\"', 'b': " + deep + "}").isVoid());

    EXPECT_EQ (SafeJson::parse (R"({"a": [1, 2]})")["a"][1], juce::var (2));
    EXPECT_TRUE (SafeJson::parse ("[[1]]", 1).isVoid());
    EXPECT_TRUE (SafeJson::parse ("not json").isVoid());
}
