#pragma once

#include <juce_core/juce_core.h>

namespace vantor::dataset
{
/** Makes what is on disk survive a power cut. A rename is only durable once the folder that holds
    it is synced, and a file's bytes only once the file is: the swaps sync their new parts before
    the first rename and every folder they touched after the last.

    Threads: stateless; any thread. */
class DiskSync
{
public:
    /** fsync of one file or folder; false when it cannot be opened or synced. Never follows a
        link and never blocks on a FIFO. */
    static bool item (const juce::File& fileOrFolder);
    /** The file, or every file and folder below the folder and the folder itself. */
    static bool tree (const juce::File& fileOrFolder);
    /** The folder holding the item: makes a rename or deletion of the item durable. */
    static bool parentOf (const juce::File& item);

private:
    DiskSync() = delete;
};
} // namespace vantor::dataset
