#pragma once

#include "vantor/dataset/JobProgress.h"

namespace vantor::dataset
{
/** The layout of the unit's folder on a removable volume: "Quorvane/GLORVAK" below the volume
    root, one folder per BANK named "01" to "15", and the settings file "GLORVAKSETTINGS.json"
    saying which file each SLOT plays and how. Stateless; any thread. */
class UnitFolder
{
public:
    static constexpr int bankCount = 15;
    static constexpr int slotsPerBank = 4;
    static constexpr int slotCount = bankCount * slotsPerBank;

    static juce::File getMakerFolder (const juce::File& volumeRoot);
    static juce::File getUnitFolder (const juce::File& volumeRoot);
    static juce::File getSettingsFile (const juce::File& volumeRoot);
    /** "01" for BANK index 0. */
    static juce::String getBankFolderName (int bankIndex);

    /** A file that the export replaces: any file below the unit folder except hidden ones and those
        whose name begins with ".". */
    static bool isReplaceable (const juce::File& file);
    /** Every replaceable file below the unit folder. A link (to a file or a folder) counts as a file
        and is never followed: the export moves the link itself aside, never what it points to. */
    static juce::Array<juce::File> findReplaceableFiles (const juce::File& unitFolder);

    /** True when the item is a plain file (no link, FIFO, device or folder) reached from root
        through no link. The unit's folder lies on a removable drive that anybody may have filled. */
    static bool isPlainFileBelow (const juce::File& root, const juce::File& item);

    enum class CopyResult
    {
        copied,
        notPlainFile, // a link, FIFO, device or folder: never opened for reading
        failed
    };

    /** Copies a file of the unit's folder, opened without following a link and without blocking,
        and only when it is a plain file. The copy is complete or absent. */
    static CopyResult copyPlainFile (const juce::File& source, const juce::File& target);

    /** Holds the values of one of the unit's BANK and slot objects to what the editor's own model
        may hold: names of at most maxNameLength characters, BPM and gain in range, flags 0 or 1,
        loop only on the third and fourth SLOT. */
    static void limitImportedBank (juce::DynamicObject& bank);
    static void limitImportedSlot (juce::DynamicObject& slot, int slotIndex);

    /** The longest BANK or SLOT name the editor keeps. */
    static constexpr int maxNameLength = 50;

    /** The favourite BANK index limited to 0 .. 14; anything but a number gives 0. */
    static int limitFavorite (const juce::var& favorite);

private:
    UnitFolder() = delete;
};

/** Removes the keys only the editor needs from a slot object: "start_sample", "end_sample",
    "beat_bpm_lock", "display_file_name", "original_file_name". Nothing for null. */
void stripEditorKeys (juce::DynamicObject* slotObject);

/** Sets those keys for a SLOT imported from the unit into newFile: the whole file is the range,
    the display name is base plus the file's extension, and the stored and original names are the
    new file's name. Nothing for null. */
void restoreEditorKeys (juce::DynamicObject* slotObject, const juce::File& newFile, const juce::String& base);
} // namespace vantor::dataset
