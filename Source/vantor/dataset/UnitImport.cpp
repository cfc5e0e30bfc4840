#include "vantor/dataset/UnitImport.h"

#include "vantor/dataset/BankJsonKeys.h"
#include "vantor/dataset/JsonFileStore.h"
#include "vantor/dataset/Leftovers.h"
#include "vantor/dataset/ModelJsonKeys.h"
#include "vantor/dataset/SampleFiles.h"
#include "vantor/dataset/SlotJsonKeys.h"
#include "vantor/dataset/TemporaryItem.h"
#include "vantor/dataset/UnitFolder.h"

namespace vantor::dataset
{
namespace
{
// The unit's file may hold more entries than the unit has BANKs or SLOTs; those are dropped
// instead of reaching the model unchecked.
void dropBeyond (juce::Array<juce::var>& array, int count)
{
    if (array.size() > count)
        array.removeRange (count, array.size() - count);
}
} // namespace

ErrorKind UnitImport::read (const juce::File& volumeRoot, const juce::File& dataFolder, JobProgress* progress,
                            FileSwap::Mover mover)
{
    Leftovers::cleanUnitFolder (volumeRoot);

    const auto settingsFile = UnitFolder::getSettingsFile (volumeRoot);

    // The unit's folder hands over plain files only: a link would bring in a file from anywhere on
    // the computer, a FIFO would block the read for ever.
    if (!UnitFolder::isPlainFileBelow (volumeRoot, settingsFile))
        return errorkind::notFound;

    const auto stored = JsonFileStore::read (settingsFile, modelkeys::bank);

    if (stored.status != JsonFileStore::ReadStatus::ok)
        return errorkind::invalidFormat;

    const auto& json = stored.root;
    auto* root = json.getDynamicObject();
    auto* banks = json.getProperty (modelkeys::bank, {}).getArray();

    root->setProperty (modelkeys::favorite,
                       UnitFolder::limitFavorite (root->getProperty (modelkeys::favorite)));
    dropBeyond (*banks, UnitFolder::bankCount);

    const TemporaryItem temp (dataFolder);
    const auto newModel = temp.get().getChildFile (modelkeys::folderName);
    const auto newSamples = getSamplesFolder (newModel);

    if (newSamples.createDirectory().failed())
        return errorkind::copy;

    const auto unitFolder = UnitFolder::getUnitFolder (volumeRoot);
    int done = 0;

    for (int i = 0; i < banks->size(); ++i)
    {
        auto* bank = banks->getReference (i).getDynamicObject();

        if (bank == nullptr)
            return errorkind::invalidFormat;

        UnitFolder::limitImportedBank (*bank);
        const auto bankFolder = unitFolder.getChildFile (UnitFolder::getBankFolderName (i));
        auto* slots = bank->getProperty (bankkeys::slot).getArray();

        if (slots == nullptr)
            continue;

        dropBeyond (*slots, UnitFolder::slotsPerBank);

        for (int j = 0; j < slots->size(); ++j)
        {
            const auto& slotVar = slots->getReference (j);

            if (JobProgress::shouldStop (progress))
                return errorkind::cancelled;

            JobProgress::report (progress, (double)done++ / (double)UnitFolder::slotCount);

            auto* slot = slotVar.getDynamicObject();

            if (slot == nullptr)
                return errorkind::invalidFormat;

            UnitFolder::limitImportedSlot (*slot, j);
            juce::File newFile;
            juce::String base;
            const auto name = slot->getProperty (slotkeys::fileName).toString();

            if (name.isNotEmpty())
            {
                // Only a file directly in the BANK's folder: the unit's file must not reach
                // anything else on the computer. The unit's FAT drive ignores letter case, so a
                // copy of its folder may hold the WAV in another case than the settings name it.
                const auto source = findSampleFile (bankFolder, name);

                if (source == juce::File())
                    return errorkind::invalidFormat;

                if (!UnitFolder::isPlainFileBelow (volumeRoot, source))
                    return errorkind::notFound;

                const auto split = splitFileName (source.getFileName());
                base = split.base.substring (0, UnitFolder::maxNameLength);
                newFile = newSamples.getNonexistentChildFile (makeSafeFileStem (base), ".wav", true);

                switch (UnitFolder::copyPlainFile (source, newFile))
                {
                    case UnitFolder::CopyResult::copied:
                        break;
                    case UnitFolder::CopyResult::notPlainFile:
                        return errorkind::notFound;
                    case UnitFolder::CopyResult::failed:
                        return errorkind::copy;
                }

                // Only what the unit itself plays becomes a sample: anything else named ".wav"
                // is as damaged as a file cut short.
                WyxSlotFileInfo info;

                if (!readWavFileInfo (newFile, info) || info.sampleCount <= 0)
                    return errorkind::invalidFormat;
            }

            restoreEditorKeys (slot, newFile, base);
        }
    }

    if (JobProgress::shouldStop (progress))
        return errorkind::cancelled;

    JobProgress::report (progress, 1.0);

    const auto newModelFile = newModel.getChildFile (modelkeys::fileName);

    if (!JsonFileStore::write (newModelFile, json) ||
        JsonFileStore::read (newModelFile, modelkeys::bank).status != JsonFileStore::ReadStatus::ok)
        return errorkind::copy;

    const auto liveModel = dataFolder.getChildFile (modelkeys::folderName);
    FileSwap swap (std::move (mover));
    swap.setJournalFolder (dataFolder);
    swap.setAside (liveModel, temp.get().getNonexistentChildFile ("previous", {}, true));
    swap.install (newModel, liveModel);

    if (!swap.commit())
        return errorkind::copy;

    return {};
}
} // namespace vantor::dataset
