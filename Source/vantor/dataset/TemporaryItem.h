#pragma once

#include "vantor/dataset/Leftovers.h"

namespace vantor::dataset
{
/** A temporary file or folder of a whole-set operation (".glorvak-tmp", numbered when taken),
    deleted with everything in it however the operation ends. Its name lets the next start, or the
    next export or import, remove it when a crash kept this destructor from running. */
class TemporaryItem
{
public:
    explicit TemporaryItem (const juce::File& parent)
        : item (Leftovers::makeTemporaryPlace (parent))
    {
    }

    ~TemporaryItem()
    {
        if (item.isDirectory())
            item.deleteRecursively (false);
        else
            item.deleteFile();
    }

    const juce::File& get() const noexcept { return item; }

private:
    const juce::File item;

    JUCE_DECLARE_NON_COPYABLE (TemporaryItem)
};
} // namespace vantor::dataset
