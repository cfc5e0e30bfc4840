#include "vantor/dataset/WyxDataSetImpl.h"

#include "common/AppInfo.h"
#include "vantor/dataset/BackupArchive.h"
#include "vantor/dataset/Leftovers.h"
#include "vantor/dataset/MessageThreadCall.h"
#include "vantor/dataset/ModelJsonKeys.h"
#include "vantor/dataset/UnitExport.h"
#include "vantor/dataset/UnitImport.h"
#include "vantor/dataset/WyxBankCollectionImpl.h"
#include "vantor/dataset/WyxModelImpl.h"

#include <juce_events/juce_events.h>

namespace vantor::dataset
{
std::unique_ptr<WyxDataSet> createDataSet()
{
    return std::make_unique<WyxDataSetImpl>();
}

WyxDataSetImpl::WyxDataSetImpl()
    : model (std::make_unique<WyxModelImpl>())
    , collection (std::make_unique<WyxBankCollectionImpl>())
    , clipboard (std::make_unique<Clipboard>())
{
    weakSelf = this;
    load();
}

WyxDataSetImpl::~WyxDataSetImpl()
{
    JUCE_ASSERT_MESSAGE_THREAD
    clipboard.reset();
    collection.reset();
    model.reset();
}

juce::File WyxDataSetImpl::getFactorySampleFolder() const
{
    return common::AppInfo::getFactorySamplesFolder();
}

juce::File WyxDataSetImpl::getDataFolder() const
{
    return common::AppInfo::getUserDataFolder();
}

void WyxDataSetImpl::load()
{
    JUCE_ASSERT_MESSAGE_THREAD
    const auto dataFolder = getDataFolder();

    if (!dataFolder.isDirectory())
        dataFolder.createDirectory();

    // A swap that a crash interrupted is finished or undone before anything reads the folders.
    Leftovers::cleanDataFolder (dataFolder);

    model->load (getModelFile());
    collection->load (getBankCollectionFile());
}

void WyxDataSetImpl::setAutosaveSuspended (bool suspended)
{
    JUCE_ASSERT_MESSAGE_THREAD
    model->setAutosaveSuspended (suspended);
    collection->setAutosaveSuspended (suspended);
}

bool WyxDataSetImpl::beginWholeSetOperation (JobProgress* progress, const std::function<void()>& snapshot)
{
    if (JobProgress::shouldStop (progress))
        return false;

    // A save landing in folders that a restore or an import is replacing would write the old
    // model over the new one and delete the new samples; so the last save happens now.
    return MessageThreadCall::run (progress,
                                   [this, &snapshot]
                                   {
                                       model->save();
                                       collection->save();
                                       setAutosaveSuspended (true);

                                       if (snapshot != nullptr)
                                           snapshot();
                                   });
}

void WyxDataSetImpl::endWholeSetOperation (bool reload)
{
    juce::MessageManager::callAsync (
        [weakThis = weakSelf, reload]
        {
            if (auto* dataSet = weakThis.get())
            {
                if (reload)
                    dataSet->load();

                dataSet->setAutosaveSuspended (false);
            }
        });
}

ErrorKind WyxDataSetImpl::backup (const juce::File& zipFile, JobProgress* progress)
{
    juce::Array<BackupArchive::Entry> entries;
    ErrorKind collected;

    if (!beginWholeSetOperation (
            progress, [&]
            { collected = BackupArchive::collectEntries (*model, *collection, getDataFolder(), entries); }))
        return errorkind::cancelled;

    const auto result = collected.isNotEmpty()
                            ? collected
                            : BackupArchive::write (entries, zipFile, progress, getDataFolder());
    endWholeSetOperation (false);
    return result;
}

ErrorKind WyxDataSetImpl::restore (const juce::File& zipFile, JobProgress* progress)
{
    const auto result = beginWholeSetOperation (progress)
                            ? BackupArchive::restore (zipFile, getDataFolder(), progress)
                            : errorkind::cancelled;
    endWholeSetOperation (true);
    return result;
}

ErrorKind WyxDataSetImpl::exportToDevice (const juce::File& volumeRoot, JobProgress* progress)
{
    juce::var json;

    if (!beginWholeSetOperation (progress, [&] { json = model->toVar(); }))
        return errorkind::cancelled;

    const auto samples = getSamplesFolder (getDataFolder().getChildFile (modelkeys::folderName));
    const auto result = UnitExport::write (json, samples, volumeRoot, progress);
    endWholeSetOperation (false);
    return result;
}

ErrorKind WyxDataSetImpl::importFromDevice (const juce::File& volumeRoot, JobProgress* progress)
{
    const auto result = beginWholeSetOperation (progress)
                            ? UnitImport::read (volumeRoot, getDataFolder(), progress)
                            : errorkind::cancelled;
    endWholeSetOperation (true);
    return result;
}

void WyxDataSetImpl::postReload()
{
    juce::MessageManager::callAsync (
        [weakThis = weakSelf]
        {
            if (auto* dataSet = weakThis.get())
                dataSet->load();
        });
}
} // namespace vantor::dataset
