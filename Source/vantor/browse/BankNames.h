#pragma once

#include <juce_core/juce_core.h>

#include <functional>

namespace vantor::browse
{
/** BANK name rules shared by the BANK table and the bank collection.
    Threads: any. */
struct BankNames
{
    /** What the service stores of a name: its first 50 code points. */
    static constexpr int storedLength = 50;
    /** The part of a name kept before a "(n)" counter, so the result stays within 50. */
    static constexpr int uniqueBaseLength = 46;

    static juce::String asStored (const juce::String& name) { return name.substring (0, storedLength); }

    /** base + "(2)", base + "(3)", ... : the first one isTaken refuses, where base is the first
        46 code points of name. With tryBaseFirst the base itself is tried before the counters. */
    static juce::String makeUnique (const juce::String& name,
                                    const std::function<bool (const juce::String&)>& isTaken,
                                    bool tryBaseFirst)
    {
        const auto base = name.substring (0, uniqueBaseLength);

        if (tryBaseFirst && !isTaken (base))
            return base;

        for (int n = 2;; ++n)
        {
            const auto candidate = base + juce::String::formatted ("(%d)", n);
            if (!isTaken (candidate))
                return candidate;
        }
    }
};
} // namespace vantor::browse
