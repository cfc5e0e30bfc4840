#pragma once

#include <juce_core/juce_core.h>

namespace glorvak::test
{
// The property names of a JSON object in their stored order (key order is part of the file formats).
inline juce::StringArray keysOf (const juce::var& object)
{
    juce::StringArray keys;

    if (auto* dynamicObject = object.getDynamicObject())
        for (const auto& property : dynamicObject->getProperties())
            keys.add (property.name.toString());

    return keys;
}
} // namespace glorvak::test
