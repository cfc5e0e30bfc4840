#include "vantor/dataset/AutosavedJsonFile.h"

#include "vantor/dataset/DiskSync.h"
#include "vantor/dataset/SampleFiles.h"
#include "vantor/dataset/SavedSampleNames.h"

namespace vantor::dataset
{
AutosavedJsonFile::AutosavedJsonFile (const juce::ReferenceCountedArray<WyxBank>& banksToKeep,
                                      std::function<juce::var()> toJsonToUse, int delayMs)
    : banks (banksToKeep)
    , toJson (std::move (toJsonToUse))
    , saveDelayMs (delayMs)
{
}

AutosavedJsonFile::~AutosavedJsonFile()
{
    stopTimer();
    SavedSampleNames::forget (this);
}

JsonFileStore::ReadResult AutosavedJsonFile::open (const juce::File& newFile, const char* arrayKey)
{
    JUCE_ASSERT_MESSAGE_THREAD
    file = newFile;
    dirty = false;
    writingBlocked = false;
    keptAsideFolder = juce::File();

    const auto folder = getFolder();

    if (file != juce::File() && !folder.isDirectory())
        folder.createDirectory();

    auto stored = JsonFileStore::read (file, arrayKey);

    if (file == juce::File())
        SavedSampleNames::forget (this);
    else
        SavedSampleNames::set (this, getSamplesFolder (folder),
                               stored.status == JsonFileStore::ReadStatus::ok
                                   ? SavedSampleNames::namesIn (stored.root[arrayKey])
                                   : juce::StringArray());

    switch (stored.status)
    {
        case JsonFileStore::ReadStatus::ok:
            break;

        case JsonFileStore::ReadStatus::damaged:
            // Saving the fresh content over it would lose the user's data, and the clean-up its
            // samples: both go aside, and the owner starts afresh.
            keptAsideFolder = JsonFileStore::keepAside (file, getSamplesFolder (folder));
            writingBlocked = keptAsideFolder == juce::File();
            markDirty();
            break;

        case JsonFileStore::ReadStatus::missing:
            markDirty();
            break;
    }

    return stored;
}

void AutosavedJsonFile::close()
{
    JUCE_ASSERT_MESSAGE_THREAD
    file = juce::File();
    dirty = false;
    SavedSampleNames::forget (this);
}

void AutosavedJsonFile::markDirty()
{
    dirty = true;

    if (!suspended)
        startTimer (saveDelayMs);
}

void AutosavedJsonFile::setSuspended (bool shouldSuspend)
{
    JUCE_ASSERT_MESSAGE_THREAD
    suspended = shouldSuspend;

    if (suspended)
        stopTimer();
    else if (dirty)
        startTimer (saveDelayMs);
}

void AutosavedJsonFile::timerCallback()
{
    stopTimer();
    save();
}

void AutosavedJsonFile::save()
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (!dirty || writingBlocked || suspended)
        return;

    // Dirty stays set on failure: the next change or the owner's destructor tries again, and the
    // clean-up never runs against a file that does not hold the present content.
    // A WAV new since the last save reaches the disk before the file that names it.
    const auto samplesFolder = getSamplesFolder (getFolder());
    const auto referenced = referencedNames();
    bool syncedNew = false;

    for (const auto& name : referenced)
    {
        if (!SavedSampleNames::isNamed (samplesFolder, name))
        {
            DiskSync::item (getBareChildFile (samplesFolder, name));
            syncedNew = true;
        }
    }

    if (syncedNew)
        DiskSync::item (samplesFolder);

    if (!JsonFileStore::write (file, toJson()))
        return;

    // From now on the file names only what the SLOTs hold: the WAVs they let go may go.
    SavedSampleNames::set (this, samplesFolder, referenced);
    deleteUnusedSamples();
    dirty = false;
}

juce::StringArray AutosavedJsonFile::referencedNames() const
{
    juce::StringArray referenced;

    for (auto* bank : banks)
        for (auto* slot : bank->getSlotList().slots)
            if (slot->getFile() != juce::File())
                referenced.add (slot->getFile().getFileName());

    return referenced;
}

void AutosavedJsonFile::deleteUnusedSamples()
{
    dataset::deleteUnusedSamples (file, getSamplesFolder (getFolder()), referencedNames());
}
} // namespace vantor::dataset
