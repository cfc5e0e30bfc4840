#pragma once

#include <juce_events/juce_events.h>

#include <memory>
#include <vector>

namespace vantor::browse
{
/** The entries of one folder (its sub-folders and the files a filter accepts), read on a
    juce::TimeSliceThread and kept in display order: folders first, then names in natural order
    with case ignored.

    Large folders stay cheap: each time slice reads a batch of entries, sorts that batch once and
    merges it into the list, and the first reading of a folder publishes each batch as it comes,
    so a tree shows the first names at once and the whole folder after one pass. (Sorting the
    whole list after every single file, as juce::DirectoryContentsList does, takes minutes for
    ten thousand files.) A later refresh reads into a new list and swaps it in when complete.

    Threads: setDirectory, refresh and the readers of the entries run on the message thread; the
    reading runs on the thread and touches the shared list only under the lock; change messages
    arrive on the message thread after each published batch and at the end of a reading. The
    destructor takes the list off the thread, waiting for a slice that is running. */
class FolderContentsList : public juce::ChangeBroadcaster, private juce::TimeSliceClient
{
public:
    struct Entry
    {
        juce::File file;
        juce::String name; // the file name (the full path for a root like "/")
        bool isDirectory = false;
        juce::int64 size = 0;
        juce::Time modified;
    };

    /** The filter and the thread outlive the list. A null filter accepts everything. */
    FolderContentsList (const juce::FileFilter* filter, juce::TimeSliceThread& thread);
    ~FolderContentsList() override;

    /** Starts reading the folder (nothing for the empty juce::File; the list is then empty). */
    void setDirectory (const juce::File& folder);
    const juce::File& getDirectory() const noexcept { return folder; }
    const juce::FileFilter* getFilter() const noexcept { return filter; }
    juce::TimeSliceThread& getThread() const noexcept { return thread; }

    /** Reads the folder again; the old entries stay until the new reading is complete. */
    void refresh();

    bool isStillLoading() const;
    /** True once the first reading of the current folder has ended. */
    bool hasBeenRead() const;

    int getNumFiles() const;
    /** A copy of the entries in display order. */
    std::vector<Entry> getEntries() const;
    /** False outside the list. */
    bool getEntry (int index, Entry& entry) const;

    /** The display order: folders first, then names in natural order, case ignored. */
    static bool comesBefore (const Entry& a, const Entry& b);

    /** Entries read per time slice. */
    static constexpr int batchSize = 512;

private:
    int useTimeSlice() override;
    void startReading();
    void stopReading();

    const juce::FileFilter* const filter;
    juce::TimeSliceThread& thread;
    juce::File folder;

    struct Reading;
    std::unique_ptr<Reading> reading; // touched only by the thread while it is registered

    mutable juce::CriticalSection lock;
    std::vector<Entry> entries;
    bool loading = false;
    bool read = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FolderContentsList)
};
} // namespace vantor::browse
