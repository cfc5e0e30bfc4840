#include "vantor/service/VantorService.h"

#include "common/AppInfo.h"
#include "support/MessagePump.h"
#include "support/WholeSetFixtures.h"
#include "vantor/dataset/BackupArchive.h"
#include "vantor/dataset/WyxBankCollectionImpl.h"
#include "vantor/dataset/WyxModelImpl.h"
#include "vantor/service/MessageCode.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <mutex>

namespace
{
using namespace vantor;
using namespace glorvak::test;
using service::MessageCode;
using service::VantorService;

// The service over the user data folder, with the messages it sends collected as codes.
struct ServiceFixture
{
    explicit ServiceFixture (const std::vector<SlotFixture>& modelSlots)
    {
        dataFolder.deleteRecursively();
        writeModelFolder (dataFolder, modelSlots, 2);
        writeCollectionFolder (dataFolder, 1, {});
        service = std::make_unique<VantorService>();
        resolver.localeChanged();
        service->setMessageResolver (&resolver);
        service->setMessagePoster (
            [this] (const juce::String& text, int kind)
            {
                const std::lock_guard<std::mutex> guard (lock);

                for (int code = 1; code <= 11; ++code)
                    if (resolver.getMessage (code) == text)
                        messages.push_back ({code, kind});
            });
    }

    ~ServiceFixture()
    {
        service.reset();
        dataFolder.deleteRecursively();
    }

    std::vector<std::pair<int, int>> sent()
    {
        const std::lock_guard<std::mutex> guard (lock);
        return messages;
    }

    juce::File dataFolder = common::AppInfo::getUserDataFolder();
    service::MessageResolver resolver;
    std::unique_ptr<VantorService> service;
    ScratchFolder scratch;
    std::mutex lock;
    std::vector<std::pair<int, int>> messages;
};

using Messages = std::vector<std::pair<int, int>>;

// A progress window that is never shown; only its thread flag and bar are used.
struct HiddenProgressWindow : juce::ThreadWithProgressWindow
{
    HiddenProgressWindow()
        : juce::ThreadWithProgressWindow ("job", true, true)
    {
    }

    void run() override {}
};

//==============================================================================
TEST (VantorServiceWholeSet, FailuresSendOneErrorAndCancelSendsNothing)
{
    ServiceFixture f ({{0, 0, "A.wav", 1000}});
    auto& service = *f.service;
    const auto missingZip = f.scratch.child ("missing.zip");

    EXPECT_FALSE (runOnWorker ([&] { return service.restore (missingZip, nullptr); }));
    EXPECT_FALSE (
        runOnWorker ([&] { return service.importFromDevice (f.scratch.child ("no volume"), nullptr); }));
    f.dataFolder.getChildFile ("model/samples/A.wav").deleteFile();
    EXPECT_FALSE (runOnWorker ([&] { return service.backup (f.scratch.child ("b.zip"), nullptr); }));
    EXPECT_EQ (f.sent(), (Messages{{MessageCode::unsupportedFormat, 0},
                                   {MessageCode::fileMissing, 0},
                                   {MessageCode::fileMissing, 0}}));

    HiddenProgressWindow window;
    window.signalThreadShouldExit(); // the user pressed Cancel
    EXPECT_FALSE (runOnWorker ([&] { return service.backup (f.scratch.child ("b.zip"), &window); }));
    EXPECT_FALSE (runOnWorker ([&] { return service.exportToDevice (f.scratch.child ("volume"), &window); }));
    EXPECT_EQ (f.sent().size(), 3u);
    EXPECT_FALSE (f.scratch.child ("volume").exists());
}

TEST (VantorServiceWholeSet, ExportRefusesABankLongerThanSixteenSecondsBeforeTouchingTheDrive)
{
    ServiceFixture f ({{4, 0, "Long.wav", 96000 * 16 + 48000}});
    const auto volume = f.scratch.child ("volume");

    EXPECT_FALSE (runOnWorker ([&] { return f.service->exportToDevice (volume, nullptr); }));
    EXPECT_EQ (f.sent(), (Messages{{MessageCode::bankTooLong, 0}}));
    EXPECT_FALSE (volume.exists());
}

TEST (VantorServiceWholeSet, ExportOfSixteenSecondsExactlyPassesAndReportsWhatItWrote)
{
    ServiceFixture f ({{0, 1, "Full.wav", 96000 * 16, 0, -1, "Full", 12000, -2.0}, {2, 3, "B.wav", 9600}});
    const auto volume = f.scratch.child ("volume");
    HiddenProgressWindow window;

    EXPECT_TRUE (runOnWorker ([&] { return f.service->exportToDevice (volume, &window); }));
    EXPECT_TRUE (f.sent().empty());
    EXPECT_TRUE (volume.getChildFile ("Quorvane/GLORVAK/01/Full.wav").existsAsFile());
    EXPECT_TRUE (volume.getChildFile ("Quorvane/GLORVAK/03/B.wav").existsAsFile());

    const auto facts = VantorService::gatherExportFacts (*f.service->getDataSet().getModel());
    ASSERT_EQ (facts.slots.size(), 2u);
    EXPECT_EQ (facts.favoriteBank, 2);
    EXPECT_DOUBLE_EQ (facts.longestBank, 16.0);
    EXPECT_EQ (facts.slots[0].bankNumber, 1);
    EXPECT_EQ (facts.slots[0].slotNumber, 2);
    EXPECT_DOUBLE_EQ (facts.slots[0].fileSeconds, 16.0);
    EXPECT_DOUBLE_EQ (facts.slots[0].bpm, 120.0);
    EXPECT_EQ (facts.slots[1].bankNumber, 3);
    EXPECT_EQ (facts.slots[1].slotNumber, 4);
}

TEST (VantorServiceWholeSet, ASuccessfulRestoreReloadsTheDataOnTheMessageThread)
{
    ServiceFixture f ({{0, 0, "A.wav", 1000}});

    // An archive of another data folder.
    const auto other = f.scratch.child ("other");
    writeModelFolder (other, {{7, 2, "Restored.wav", 1200}}, 9);
    writeCollectionFolder (other, 3, {{2, 0, "Stored.wav", 500}});
    {
        dataset::WyxModelImpl model;
        dataset::WyxBankCollectionImpl collection;
        model.load (other.getChildFile ("model/model.json"));
        collection.load (other.getChildFile ("bankcollection/bankcollection.json"));
        juce::Array<dataset::BackupArchive::Entry> entries;
        ASSERT_EQ (dataset::BackupArchive::collectEntries (model, collection, other, entries), "");
        ASSERT_EQ (dataset::BackupArchive::write (entries, f.scratch.child ("b.zip"), nullptr), "");
    }

    EXPECT_TRUE (runOnWorker ([&] { return f.service->restore (f.scratch.child ("b.zip"), nullptr); }));
    auto& dataSet = f.service->getDataSet();
    EXPECT_TRUE (pumpMessagesUntil ([&] { return dataSet.getModel()->getFavoriteBank() == 9; }));
    EXPECT_EQ (dataSet.getBankCollection()->size(), 3);
    EXPECT_EQ (dataSet.getModel()->getBankList()[7]->getSlotList()[2]->getFile().getFileName(),
               "Restored.wav");
    EXPECT_TRUE (f.sent().empty());
}
} // namespace
