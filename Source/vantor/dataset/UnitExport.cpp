#include "vantor/dataset/UnitExport.h"

#include "common/audiofile/AudioFileTools.h"
#include "vantor/dataset/BankJsonKeys.h"
#include "vantor/dataset/JsonFileStore.h"
#include "vantor/dataset/Leftovers.h"
#include "vantor/dataset/ModelJsonKeys.h"
#include "vantor/dataset/SampleFiles.h"
#include "vantor/dataset/SlotJsonKeys.h"
#include "vantor/dataset/TemporaryItem.h"
#include "vantor/dataset/UnitFolder.h"
#include "vantor/dataset/UnitJsonKeys.h"

namespace vantor::dataset
{
namespace
{
// One SLOT's file as it will go to the unit.
struct PlannedCopy
{
    int bankIndex = 0;
    juce::DynamicObject* slot = nullptr; // inside the JSON being written
    juce::File source;
    juce::Range<juce::int64> range;
    bool whole = true;
};

// Room for the settings file and the file system's own bookkeeping.
constexpr juce::int64 spareBytes = 1024 * 1024;

juce::int64 estimatedSize (const PlannedCopy& copy, juce::int64 frames)
{
    const auto fileSize = copy.source.getSize();

    if (copy.whole || frames <= 0)
        return fileSize;

    return fileSize * copy.range.getLength() / frames + 4096;
}

// The file at a path below folder. juce::File::getChildFile would take a path beginning with "~"
// for a home folder, and a name such as "~Loop.wav" would then leave the unit folder.
juce::File childAt (const juce::File& folder, const juce::String& relativePath)
{
    return juce::File (juce::File::addTrailingSeparator (folder.getFullPathName()) + relativePath);
}

// A name in the staging BANK folder that is also free in the unit's BANK folder once the replaced
// files are gone (a kept ".file" or a folder there must not be hit by the move).
juce::File uniqueTarget (const juce::File& stagingBank, const juce::File& liveBank,
                         const juce::String& fileName)
{
    const auto split = splitFileName (fileName);
    const auto isFree = [&] (const juce::String& name)
    {
        const auto live = childAt (liveBank, name);
        return !childAt (stagingBank, name).exists() && (!live.exists() || UnitFolder::isReplaceable (live));
    };

    auto name = split.base + split.extension;

    for (int number = 2; !isFree (name); ++number)
        name = split.base + "(" + juce::String (number) + ")" + split.extension;

    return childAt (stagingBank, name);
}
} // namespace

ErrorKind UnitExport::write (const juce::var& modelJson, const juce::File& samplesFolder,
                             const juce::File& volumeRoot, JobProgress* progress, FileSwap::Mover mover)
{
    auto* root = modelJson.getDynamicObject();

    if (root == nullptr)
        return errorkind::unspecified;

    root->setProperty (modelkeys::favorite,
                       UnitFolder::limitFavorite (root->getProperty (modelkeys::favorite)));

    const auto* banks = root->getProperty (modelkeys::bank).getArray();

    if (banks == nullptr)
        return errorkind::unspecified;

    // Everything is checked before the volume is touched.
    juce::Array<PlannedCopy> copies;
    juce::Array<juce::DynamicObject*> slotObjects;
    juce::int64 needed = spareBytes;

    for (int i = 0; i < juce::jmin (banks->size(), UnitFolder::bankCount); ++i)
    {
        auto* bank = banks->getReference (i).getDynamicObject();

        if (bank == nullptr)
            return errorkind::unspecified;

        const auto* slots = bank->getProperty (bankkeys::slot).getArray();

        for (int j = 0; slots != nullptr && j < juce::jmin (slots->size(), UnitFolder::slotsPerBank); ++j)
        {
            auto* slot = slots->getReference (j).getDynamicObject();

            if (slot == nullptr)
                return errorkind::unspecified;

            slotObjects.add (slot);
            const auto name = slot->getProperty (slotkeys::fileName).toString();

            if (name.isEmpty())
                continue;

            PlannedCopy copy;
            copy.bankIndex = i;
            copy.slot = slot;
            copy.source = findSampleFile (samplesFolder, name);

            if (!copy.source.existsAsFile())
                return errorkind::notFound;

            const auto start = (juce::int64)slot->getProperty (slotkeys::startSample);
            const auto end = (juce::int64)slot->getProperty (slotkeys::endSample);
            const auto frames = (juce::int64)slot->getProperty (slotkeys::sampleNum);
            copy.whole = start == 0 && end == frames;
            copy.range = {start, juce::jmax (start, end)};

            if (!copy.whole)
            {
                WyxSlotFileInfo info;

                if (start < 0 || !readWavFileInfo (copy.source, info) ||
                    copy.range.getEnd() > info.sampleCount)
                    return errorkind::copy;
            }

            needed += estimatedSize (copy, frames);
            copies.add (copy);
        }
    }

    if (JobProgress::shouldStop (progress))
        return errorkind::cancelled;

    const auto unitFolder = UnitFolder::getUnitFolder (volumeRoot);
    const auto makerFolder = UnitFolder::getMakerFolder (volumeRoot);

    // Linked folders would take the new files, and the clearing of the old ones, off the volume.
    if (makerFolder.isSymbolicLink() || unitFolder.isSymbolicLink())
        return errorkind::copy;

    Leftovers::cleanUnitFolder (volumeRoot);
    auto replaced = UnitFolder::findReplaceableFiles (unitFolder);
    const auto freeBytes = volumeRoot.getBytesFreeOnVolume();

    if (freeBytes < needed)
    {
        juce::int64 reclaimable = 0;

        for (const auto& file : replaced)
            reclaimable += file.getSize();

        if (freeBytes + reclaimable < needed)
            return errorkind::copy;

        // Old and new do not fit side by side: the old files go first, as they always did.
        for (const auto& file : replaced)
            file.deleteFile();

        replaced.clear();
    }

    if (!makerFolder.isDirectory() && makerFolder.createDirectory().failed())
        return errorkind::copy;

    // Each is made at once, so the second gets a name of its own.
    const TemporaryItem staging (makerFolder);

    if (staging.get().createDirectory().failed())
        return errorkind::copy;

    const TemporaryItem aside (makerFolder);

    if (aside.get().createDirectory().failed())
        return errorkind::copy;

    for (int i = 0; i < UnitFolder::bankCount; ++i)
        staging.get().getChildFile (UnitFolder::getBankFolderName (i)).createDirectory();

    int done = 0;
    int nextCopy = 0;

    for (auto* slot : slotObjects)
    {
        if (JobProgress::shouldStop (progress))
            return errorkind::cancelled;

        JobProgress::report (progress, (double)done++ / (double)UnitFolder::slotCount);

        if (nextCopy < copies.size() && copies.getReference (nextCopy).slot == slot)
        {
            const auto& copy = copies.getReference (nextCopy++);
            const auto bankFolderName = UnitFolder::getBankFolderName (copy.bankIndex);
            const auto target =
                uniqueTarget (staging.get().getChildFile (bankFolderName),
                              unitFolder.getChildFile (bankFolderName), copy.source.getFileName());

            if (copy.whole)
            {
                if (!copy.source.copyFileTo (target) || target.getSize() != copy.source.getSize())
                    return errorkind::copy;
            }
            else if (common::AudioFileTools::copyWavRange (copy.source, copy.range, target).isNotEmpty())
            {
                return errorkind::copy;
            }

            slot->setProperty (slotkeys::fileName, target.getFileName());
        }

        stripEditorKeys (slot);
    }

    if (JobProgress::shouldStop (progress))
        return errorkind::cancelled;

    JobProgress::report (progress, 1.0);

    const auto stagedSettings = staging.get().getChildFile (unitkeys::settingsFile);

    if (!JsonFileStore::write (stagedSettings, modelJson))
        return errorkind::copy;

    FileSwap swap (std::move (mover));
    swap.setJournalFolder (makerFolder);

    for (const auto& file : replaced)
        swap.setAside (file, childAt (aside.get(), file.getRelativePathFrom (unitFolder)));

    // The settings file goes last, so the unit never finds one naming files not yet there.
    for (const auto& file : staging.get().findChildFiles (juce::File::findFiles, true, "*"))
        if (file != stagedSettings)
            swap.install (file, childAt (unitFolder, file.getRelativePathFrom (staging.get())));

    swap.install (stagedSettings, UnitFolder::getSettingsFile (volumeRoot));

    if (!swap.commit())
        return errorkind::copy;

    for (int i = 0; i < UnitFolder::bankCount; ++i)
        unitFolder.getChildFile (UnitFolder::getBankFolderName (i)).createDirectory();

    return {};
}
} // namespace vantor::dataset
