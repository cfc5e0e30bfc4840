#include "vantor/dataset/UnitImport.h"

#include "vantor/dataset/BankJsonKeys.h"
#include "vantor/dataset/JsonFileStore.h"
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
    const auto settingsFile = UnitFolder::getSettingsFile (volumeRoot);

    if (!settingsFile.existsAsFile())
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

        const auto bankFolder = unitFolder.getChildFile (UnitFolder::getBankFolderName (i));
        auto* slots = bank->getProperty (bankkeys::slot).getArray();

        if (slots == nullptr)
            continue;

        dropBeyond (*slots, UnitFolder::slotsPerBank);

        for (const auto& slotVar : *slots)
        {
            if (JobProgress::shouldStop (progress))
                return errorkind::cancelled;

            JobProgress::report (progress, (double)done++ / (double)UnitFolder::slotCount);

            auto* slot = slotVar.getDynamicObject();

            if (slot == nullptr)
                return errorkind::invalidFormat;

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

                if (!source.existsAsFile())
                    return errorkind::notFound;

                const auto split = splitFileName (source.getFileName());
                base = split.base;
                newFile = newSamples.getNonexistentChildFile (makeSafeFileStem (base), split.extension, true);

                if (!source.copyFileTo (newFile) || newFile.getSize() != source.getSize())
                    return errorkind::copy;
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
    swap.setAside (liveModel, temp.get().getNonexistentChildFile ("previous", {}, true));
    swap.install (newModel, liveModel);

    if (!swap.commit())
        return errorkind::copy;

    return {};
}
} // namespace vantor::dataset
