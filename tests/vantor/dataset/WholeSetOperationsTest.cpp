#include "vantor/dataset/WyxDataSetImpl.h"

#include "common/AppInfo.h"
#include "support/MessagePump.h"
#include "support/WholeSetFixtures.h"
#include "vantor/dataset/BackupArchive.h"
#include "vantor/dataset/UnitExport.h"

#include <atomic>
#include <functional>

namespace
{
using namespace vantor::dataset;
using namespace glorvak::test;

// A progress that runs a hook on the worker at one poll.
// Runs a hook once, at the first poll after the job has reported progress: by then the job has
// passed its start on the message thread (the last save, autosave suspended), whose wait polls too,
// more or less often depending on how busy the message thread is.
class HookedProgress : public JobProgress
{
public:
    explicit HookedProgress (std::function<void()> hook)
        : hook (std::move (hook))
    {
    }

    bool threadShouldExit() const override
    {
        if (reported && !hooked)
        {
            hooked = true;
            hook();
        }

        return false;
    }

    void setProgress (double) override { reported = true; }

private:
    const std::function<void()> hook;
    std::atomic<bool> reported{false};
    mutable bool hooked = false;
};

struct LiveData
{
    LiveData()
    {
        folder.deleteRecursively();
        writeModelFolder (folder, {{0, 0, "Live.wav", 800}}, 1, 10);
        writeCollectionFolder (folder, 1, {{0, 1, "LiveStored.wav", 600}}, 20);
    }

    ~LiveData() { folder.deleteRecursively(); }

    juce::File folder = common::AppInfo::getUserDataFolder();
    juce::File modelFile = folder.getChildFile ("model/model.json");
};

// Another data set's model and collection, as a backup archive and as a unit folder.
struct OtherData
{
    OtherData()
    {
        writeModelFolder (data, {{3, 2, "New.wav", 900}}, 5, 30);
        writeCollectionFolder (data, 2, {{1, 0, "NewStored.wav", 700}}, 40);

        WyxModelImpl model;
        WyxBankCollectionImpl collection;
        model.load (data.getChildFile ("model/model.json"));
        collection.load (data.getChildFile ("bankcollection/bankcollection.json"));
        juce::Array<BackupArchive::Entry> entries;
        EXPECT_EQ (BackupArchive::collectEntries (model, collection, data, entries), "");
        EXPECT_EQ (BackupArchive::write (entries, zipFile, nullptr), "");
        EXPECT_EQ (UnitExport::write (model.toVar(), data.getChildFile ("model/samples"), volume, nullptr),
                   "");
    }

    ScratchFolder scratch;
    juce::File data = scratch.child ("data");
    juce::File zipFile = scratch.child ("backup.zip");
    juce::File volume = scratch.child ("volume");
};

void deliverMessages()
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (200);
}

int favoriteInFile (const juce::File& modelFile)
{
    return (int)juce::JSON::parse (modelFile.loadFileAsString())["favorite"];
}

struct ReplacingOperation
{
    const char* what;
    std::function<ErrorKind (WyxDataSetImpl&, const OtherData&, JobProgress*)> run;
    bool replacesCollection;
};

const ReplacingOperation replacingOperations[] = {
    {"restore",
     [] (WyxDataSetImpl& set, const OtherData& other, JobProgress* p)
     { return set.restore (other.zipFile, p); },
     true},
    {"import",
     [] (WyxDataSetImpl& set, const OtherData& other, JobProgress* p)
     { return set.importFromDevice (other.volume, p); },
     false},
};

TEST (WholeSetOperations, AModelMadeDirtyDuringARestoreOrImportNeverSavesIntoTheNewFolders)
{
    for (const auto& operation : replacingOperations)
    {
        SCOPED_TRACE (operation.what);
        LiveData live;
        const OtherData other;
        WyxDataSetImpl dataSet;
        auto* model = dataSet.getModel();
        ASSERT_EQ (model->getFavoriteBank(), 1);
        // Halfway, the model changes on the message thread and the worker takes longer than the
        // autosave delay; whatever the model would save then is the old data.
        bool savedDuringTheJob = true;
        HookedProgress progress (
            [&]
            {
                const auto atStart = live.modelFile.loadFileAsString();
                juce::MessageManager::callAsync ([model] { model->setFavoriteBank (9); });
                juce::Thread::sleep (WyxModel::saveDelayMs + 1000);
                savedDuringTheJob = live.modelFile.loadFileAsString() != atStart;
            });

        EXPECT_EQ (runOnWorker ([&] { return operation.run (dataSet, other, &progress); }), "");
        EXPECT_FALSE (savedDuringTheJob);

        // The reload shows the new data; the saves resumed after it write the new data.
        EXPECT_TRUE (pumpMessagesUntil ([&] { return model->getFavoriteBank() == 5; }));
        juce::MessageManager::getInstance()->runDispatchLoopUntil (WyxModel::saveDelayMs + 500);
        EXPECT_EQ (favoriteInFile (live.modelFile), 5);
        EXPECT_EQ (wavNames (live.folder.getChildFile ("model/samples")), juce::StringArray ({"New.wav"}));
        EXPECT_EQ (wavNames (live.folder.getChildFile ("bankcollection/samples")),
                   juce::StringArray ({operation.replacesCollection ? "NewStored.wav" : "LiveStored.wav"}));
        EXPECT_EQ (live.folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories),
                   2); // no temporary folder

        // Saving is back.
        model->setFavoriteBank (11);
        EXPECT_TRUE (pumpMessagesUntil ([&] { return favoriteInFile (live.modelFile) == 11; }, 15000));
    }
}

TEST (WholeSetOperations, ABackupAndAnExportTakeTheChangesNotYetSaved)
{
    LiveData live;
    ScratchFolder scratch;
    WyxDataSetImpl dataSet;
    dataSet.getModel()->setFavoriteBank (7); // saved 3000 ms later at the earliest

    EXPECT_EQ (runOnWorker ([&] { return dataSet.backup (scratch.child ("b.zip"), nullptr); }), "");
    EXPECT_EQ (favoriteInFile (live.modelFile), 7);

    dataSet.getModel()->setFavoriteBank (8);
    EXPECT_EQ (runOnWorker ([&] { return dataSet.exportToDevice (scratch.child ("volume"), nullptr); }), "");
    EXPECT_EQ (
        (int)juce::JSON::parse (
            scratch.child ("volume/Quorvane/GLORVAK/GLORVAKSETTINGS.json").loadFileAsString())["favorite"],
        8);

    const auto restoredFrom = scratch.child ("restored");
    restoredFrom.createDirectory();
    ASSERT_EQ (BackupArchive::restore (scratch.child ("b.zip"), restoredFrom, nullptr), "");
    EXPECT_EQ (favoriteInFile (restoredFrom.getChildFile ("model/model.json")), 7);
}

TEST (WholeSetOperations, AFailedOrCancelledRestoreStillReloadsAndResumesSaving)
{
    LiveData live;
    ScratchFolder scratch;
    WyxDataSetImpl dataSet;
    auto* model = dataSet.getModel();
    deliverMessages();
    model->save(); // what the first operation would save anyway
    const auto before = snapshotOf (live.folder);

    CountingProgress cancelAtOnce (1);
    EXPECT_EQ (runOnWorker ([&] { return dataSet.restore (scratch.child ("missing.zip"), &cancelAtOnce); }),
               "cancelled");
    EXPECT_EQ (runOnWorker ([&] { return dataSet.restore (scratch.child ("missing.zip"), nullptr); }),
               "invalidformat");
    EXPECT_EQ (snapshotOf (live.folder), before);

    deliverMessages(); // the reloads
    model->setFavoriteBank (12);
    EXPECT_TRUE (pumpMessagesUntil ([&] { return favoriteInFile (live.modelFile) == 12; }, 15000));
}
} // namespace
