#pragma once

#include <juce_core/juce_core.h>

namespace vantor::dataset
{
/** A temporary file or folder of a whole-set operation ("tmp", numbered when taken), deleted with
    everything in it however the operation ends. */
class TemporaryItem
{
public:
    explicit TemporaryItem (const juce::File& parent)
        : item (parent.getNonexistentChildFile ("tmp", {}, true))
    {
    }

    ~TemporaryItem() { item.deleteRecursively (false); }

    const juce::File& get() const noexcept { return item; }

private:
    const juce::File item;

    JUCE_DECLARE_NON_COPYABLE (TemporaryItem)
};
} // namespace vantor::dataset
