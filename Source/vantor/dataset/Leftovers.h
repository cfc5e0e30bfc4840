#pragma once

#include <juce_core/juce_core.h>

namespace vantor::dataset
{
/** The temporary files and folders of the program's own and their removal after a crash.

    Everything temporary carries a name that no user's file has: the whole-set operations' folders
    and the backup's archive ".glorvak-tmp", ".glorvak-tmp2", ... (and the zip library's
    ".glorvak-tmp.XXXXXX" beside it), the hidden temporaries of the JSON files, the staged WAVs of
    the samples folders. A crash can leave them behind; they are removed at the next start (data
    folder) or before the next export or import (unit folder), always after an interrupted swap has
    been finished or undone, since its parts may wait inside a temporary folder. Nothing else is
    ever removed.

    Threads: stateless; the data folder is cleaned on the message thread before the data loads, the
    unit folder on the worker of the operation. */
class Leftovers
{
public:
    /** A free temporary place in the folder, not yet created. */
    static juce::File makeTemporaryPlace (const juce::File& parent);
    /** True for the names makeTemporaryPlace gives, also with the zip library's suffix. */
    static bool isTemporaryName (const juce::String& name);
    /** True for the hidden temporary beside target that a replacement of target writes first. */
    static bool isReplacementTemporaryOf (const juce::String& name, const juce::File& target);

    /** Finishes or undoes an interrupted swap of the data folder, then removes the leftovers there,
        in the model and collection folders and their samples folders, and the backup's temporary
        archive recorded by recordOutsideTemporary. */
    static void cleanDataFolder (const juce::File& dataFolder);
    /** The same for the unit's folders on a volume. Nothing happens when the maker folder is a
        link: it leads outside the volume. */
    static void cleanUnitFolder (const juce::File& volumeRoot);

    /** Notes in the data folder a temporary place outside it (the backup's archive beside its
        target), so that cleanDataFolder removes it after a crash. */
    static void recordOutsideTemporary (const juce::File& dataFolder, const juce::File& temporary);
    static void forgetOutsideTemporary (const juce::File& dataFolder);

private:
    Leftovers() = delete;
};
} // namespace vantor::dataset
