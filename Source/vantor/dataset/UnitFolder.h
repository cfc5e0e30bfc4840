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
    /** Every replaceable file below the unit folder. */
    static juce::Array<juce::File> findReplaceableFiles (const juce::File& unitFolder);

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
