#pragma once

#include "vantor/dataset/JsonFileStore.h"
#include "vantor/dataset/WyxBank.h"

#include <functional>

namespace vantor::dataset
{
/** The saving shared by the model and the collection: their JSON file with the "samples" folder
    beside it, written a while after the last change, never over a file that could be neither
    read nor moved aside, and followed by the clean-up of the WAVs that none of the owner's BANKs
    names. That clean-up is the only deletion of the folder's WAVs: while a file is open its
    samples folder is guarded (SavedSampleNames), so that a WAV outlives every saved file that
    names it.

    Threads: message thread only (the timer runs there too). */
class AutosavedJsonFile : private juce::Timer
{
public:
    /** banks must outlive this object; toJson gives the content to write. */
    AutosavedJsonFile (const juce::ReferenceCountedArray<WyxBank>& banks, std::function<juce::var()> toJson,
                       int saveDelayMs);
    ~AutosavedJsonFile() override;

    /** Starts on a new file: forgets the previous one's state, creates the folder and reads the
        file. A damaged file goes aside with its samples; a damaged or missing one is to be
        written. The result tells the owner what to load. */
    JsonFileStore::ReadResult open (const juce::File& newFile, const char* arrayKey);
    /** Forgets the file; nothing is to be written. */
    void close();

    const juce::File& getFile() const noexcept { return file; }
    juce::File getFolder() const { return file.getParentDirectory(); }

    void markDirty();
    bool isDirty() const noexcept { return dirty; }

    /** For an owner that found the file holds what it cannot write back without losing data. */
    void blockWriting() noexcept { writingBlocked = true; }

    /** While suspended nothing is written (not even by save) and no save is scheduled; changes
        still mark the file dirty, and resuming schedules the save. */
    void setSuspended (bool suspended);

    /** Where the file (or part of it) was kept aside; empty when it was not. */
    juce::File getKeptAsideFolder() const { return keptAsideFolder; }
    void setKeptAsideFolder (const juce::File& folder) { keptAsideFolder = folder; }

    /** Writes the file when dirty, then deletes the unused WAVs. */
    void save();
    /** Deletes the WAVs of the samples folder that no BANK names. Runs only after a save. */
    void deleteUnusedSamples();

private:
    void timerCallback() override;
    juce::StringArray referencedNames() const;

    const juce::ReferenceCountedArray<WyxBank>& banks;
    const std::function<juce::var()> toJson;
    const int saveDelayMs;

    juce::File file;
    bool dirty = false;
    bool suspended = false;

    // Set when the file could neither be read nor moved aside: writing would destroy it.
    bool writingBlocked = false;
    juce::File keptAsideFolder;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AutosavedJsonFile)
};
} // namespace vantor::dataset
