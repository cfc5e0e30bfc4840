#include "vantor/browse/FolderContentsList.h"

#include <algorithm>
#include <iterator>

namespace vantor::browse
{
struct FolderContentsList::Reading
{
    explicit Reading (const juce::File& folderToRead, bool publishBatches)
        : iterator (folderToRead, false, "*",
                    juce::File::findFilesAndDirectories | juce::File::ignoreHiddenFiles)
        , publish (publishBatches)
    {
    }

    juce::RangedDirectoryIterator iterator;
    std::vector<Entry> collected; // everything read so far, in display order
    const bool publish;           // true: each batch is shown at once (first reading of a folder)
};

FolderContentsList::FolderContentsList (const juce::FileFilter* filterToUse,
                                        juce::TimeSliceThread& threadToUse)
    : filter (filterToUse)
    , thread (threadToUse)
{
}

FolderContentsList::~FolderContentsList()
{
    stopReading();
}

void FolderContentsList::setDirectory (const juce::File& newFolder)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (newFolder == folder && (read || isStillLoading()))
        return;

    stopReading();
    folder = newFolder;
    {
        const juce::ScopedLock sl (lock);
        entries.clear();
        read = false;
    }
    startReading();
}

void FolderContentsList::refresh()
{
    JUCE_ASSERT_MESSAGE_THREAD
    stopReading();
    startReading();
}

void FolderContentsList::startReading()
{
    if (folder == juce::File())
    {
        const juce::ScopedLock sl (lock);
        read = true;
        return;
    }

    bool firstReading;
    {
        const juce::ScopedLock sl (lock);
        firstReading = entries.empty();
        loading = true;
    }
    reading = std::make_unique<Reading> (folder, firstReading);
    thread.addTimeSliceClient (this);
}

void FolderContentsList::stopReading()
{
    // Waits for a slice that is running, so the reading can go afterwards.
    thread.removeTimeSliceClient (this);
    reading.reset();
    const juce::ScopedLock sl (lock);
    loading = false;
}

bool FolderContentsList::isStillLoading() const
{
    const juce::ScopedLock sl (lock);
    return loading;
}

bool FolderContentsList::hasBeenRead() const
{
    const juce::ScopedLock sl (lock);
    return read;
}

int FolderContentsList::getNumFiles() const
{
    const juce::ScopedLock sl (lock);
    return (int)entries.size();
}

std::vector<FolderContentsList::Entry> FolderContentsList::getEntries() const
{
    const juce::ScopedLock sl (lock);
    return entries;
}

bool FolderContentsList::getEntry (int index, Entry& entry) const
{
    const juce::ScopedLock sl (lock);

    if ((unsigned)index >= entries.size())
        return false;

    entry = entries[(size_t)index];
    return true;
}

bool FolderContentsList::comesBefore (const Entry& a, const Entry& b)
{
    if (a.isDirectory != b.isDirectory)
        return a.isDirectory;

    return a.name.compareNatural (b.name, false) < 0;
}

int FolderContentsList::useTimeSlice()
{
    // Runs on the thread; reading is only replaced while this client is off the thread.
    auto& r = *reading;
    std::vector<Entry> batch;
    batch.reserve ((size_t)batchSize);

    auto& it = r.iterator;
    const juce::RangedDirectoryIterator end;

    while (it != end && (int)batch.size() < batchSize)
    {
        const auto& found = *it;
        Entry entry;
        entry.file = found.getFile();
        entry.isDirectory = found.isDirectory();

        if (entry.isDirectory ? (filter == nullptr || filter->isDirectorySuitable (entry.file))
                              : (filter == nullptr || filter->isFileSuitable (entry.file)))
        {
            entry.name = entry.file.getFileName();
            entry.size = found.getFileSize();
            entry.modified = found.getModificationTime();
            batch.push_back (std::move (entry));
        }

        ++it;
    }

    const bool finished = (it == end);
    std::sort (batch.begin(), batch.end(), comesBefore);

    std::vector<Entry> merged;
    merged.reserve (r.collected.size() + batch.size());
    std::merge (std::make_move_iterator (r.collected.begin()), std::make_move_iterator (r.collected.end()),
                std::make_move_iterator (batch.begin()), std::make_move_iterator (batch.end()),
                std::back_inserter (merged), comesBefore);
    r.collected = std::move (merged);

    bool changed = false;
    {
        const juce::ScopedLock sl (lock);

        if (finished || r.publish)
        {
            entries = r.collected;
            changed = true;
        }

        if (finished)
        {
            loading = false;
            read = true;
        }
    }

    if (changed || finished)
        sendChangeMessage();

    return finished ? -1 : 0;
}
} // namespace vantor::browse
