#include "vantor/service/VantorService.h"

#include "common/AppInfo.h"
#include "common/usage/CryptoFile.h"
#include "common/usage/UsageLogger.h"
#include "support/LoopbackHttpServer.h"
#include "support/MessagePump.h"
#include "support/WholeSetFixtures.h"
#include "vantor/bank/BankViewModel.h"
#include "vantor/browse/BrowseViewModel.h"
#include "vantor/dataset/BackupArchive.h"
#include "vantor/dataset/UnitExport.h"
#include "vantor/dataset/WyxBankCollectionImpl.h"
#include "vantor/dataset/WyxModelImpl.h"
#include "vantor/service/MessageCode.h"
#include "vantor/slot/SlotPadViewModel.h"
#include "vantor/slot/SlotViewModel.h"
#include "vantor/slot_detail/SlotDetailViewModel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
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

// Another data folder (a SLOT in the eighth BANK, the tenth BANK the favourite, three stored BANKs)
// as a backup archive and as a unit folder.
struct OtherData
{
    explicit OtherData (const ScratchFolder& scratch)
        : folder (scratch.child ("other"))
        , zipFile (scratch.child ("b.zip"))
        , volume (scratch.child ("other volume"))
    {
    }

    void write() const
    {
        writeModelFolder (folder, {{7, 2, "Restored.wav", 1200}}, 9);
        writeCollectionFolder (folder, 3, {{2, 0, "Stored.wav", 500}});
        dataset::WyxModelImpl model;
        dataset::WyxBankCollectionImpl collection;
        model.load (folder.getChildFile ("model/model.json"));
        collection.load (folder.getChildFile ("bankcollection/bankcollection.json"));
        juce::Array<dataset::BackupArchive::Entry> entries;
        ASSERT_EQ (dataset::BackupArchive::collectEntries (model, collection, folder, entries), "");
        ASSERT_EQ (dataset::BackupArchive::write (entries, zipFile, nullptr), "");
        ASSERT_EQ (dataset::UnitExport::write (model.toVar(), folder.getChildFile ("model/samples"), volume,
                                               nullptr),
                   "");
    }

    juce::File folder, zipFile, volume;
};

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

TEST (VantorServiceWholeSet, ExportPassesSixteenSecondsOfFramesWhoseSecondsAddUpAHairAbove)
{
    // 4.889 + 3.580 + 4.844 + 2.687 s: 1536000 frames, 16.000000000000004 s when added in double.
    ServiceFixture f ({{6, 0, "Q0.wav", 469344},
                       {6, 1, "Q1.wav", 343680},
                       {6, 2, "Q2.wav", 465024},
                       {6, 3, "Q3.wav", 257952}});
    const auto volume = f.scratch.child ("volume");

    EXPECT_GT (VantorService::gatherExportFacts (*f.service->getDataSet().getModel()).longestBank, 16.0);
    EXPECT_TRUE (runOnWorker ([&] { return f.service->exportToDevice (volume, nullptr); }));
    EXPECT_TRUE (f.sent().empty());
    EXPECT_TRUE (volume.getChildFile ("Quorvane/GLORVAK/07/Q3.wav").existsAsFile());
}

TEST (VantorServiceWholeSet, ASuccessfulRestoreReloadsTheDataOnTheMessageThread)
{
    ServiceFixture f ({{0, 0, "A.wav", 1000}});

    const OtherData other (f.scratch);
    ASSERT_NO_FATAL_FAILURE (other.write());

    EXPECT_TRUE (runOnWorker ([&] { return f.service->restore (other.zipFile, nullptr); }));
    auto& dataSet = f.service->getDataSet();
    EXPECT_TRUE (pumpMessagesUntil ([&] { return dataSet.getModel()->getFavoriteBank() == 9; }));
    EXPECT_EQ (dataSet.getBankCollection()->size(), 3);
    EXPECT_EQ (dataSet.getModel()->getBankList()[7]->getSlotList()[2]->getFile().getFileName(),
               "Restored.wav");
    EXPECT_TRUE (f.sent().empty());
}

//==============================================================================
// The real view models wired to the service as the program wires them. They detach on the way
// out, so a refresh still queued for the service finds none.
struct WiredViewModels
{
    explicit WiredViewModels (VantorService& serviceToUse)
        : service (serviceToUse)
        , browse (&service)
        , banks (&service)
        , slots (&service)
        , pads (&service)
        , detail (&service)
    {
        service.setBrowseViewModel (&browse);
        service.setBankViewModel (&banks);
        service.setSlotViewModel (&slots);
        service.setSlotPadViewModel (&pads);
        service.setSlotDetailViewModel (&detail);
    }

    ~WiredViewModels()
    {
        service.setSlotDetailViewModel (nullptr);
        service.setSlotPadViewModel (nullptr);
        service.setSlotViewModel (nullptr);
        service.setBankViewModel (nullptr);
        service.setBrowseViewModel (nullptr);
    }

    VantorService& service;
    browse::BrowseViewModel browse;
    bank::BankViewModel banks;
    slot::SlotViewModel slots;
    slot::SlotPadViewModel pads;
    slot_detail::SlotDetailViewModel detail;
};

struct ReplacingOperation
{
    const char* what;
    std::function<bool (VantorService&, const OtherData&)> run;
    bool replacesCollection;
};

const ReplacingOperation replacingOperations[] = {
    {"restore", [] (VantorService& s, const OtherData& other) { return s.restore (other.zipFile, nullptr); },
     true},
    {"import",
     [] (VantorService& s, const OtherData& other) { return s.importFromDevice (other.volume, nullptr); },
     false},
};

TEST (VantorServiceWholeSet, ASuccessfulRestoreOrImportShowsTheReloadedDataInEveryViewModel)
{
    for (const auto& operation : replacingOperations)
    {
        SCOPED_TRACE (operation.what);
        ServiceFixture f ({{0, 0, "A.wav", 1000}});
        WiredViewModels views (*f.service);
        const OtherData other (f.scratch);
        ASSERT_NO_FATAL_FAILURE (other.write());
        ASSERT_TRUE (f.service->selectBank (7));
        ASSERT_TRUE (f.service->selectSlot (2));
        ASSERT_EQ (views.banks.getFavoriteBank(), 2);
        ASSERT_FALSE (views.slots.getRow (2).hasAudio);
        const auto storedBanks = views.browse.getItems().size();

        ASSERT_TRUE (runOnWorker ([&] { return operation.run (*f.service, other); }));
        ASSERT_TRUE (pumpMessagesUntil ([&] { return views.banks.getFavoriteBank() == 9; }));
        EXPECT_TRUE (f.sent().empty());

        const auto& bankList = f.service->getDataSet().getModel()->getBankList();

        for (int b = 0; b < dataset::WyxModel::bankCount; ++b)
        {
            SCOPED_TRACE (b);
            EXPECT_EQ (views.banks.getRow (b).name, bankList[b]->getName());
            EXPECT_DOUBLE_EQ (views.banks.getRow (b).totalSeconds,
                              VantorService::getBankLength (bankList[b]->getSlotList()));
        }

        const auto& slotList = bankList[7]->getSlotList();

        for (int s = 0; s < dataset::WyxSlotList::slotCount; ++s)
        {
            SCOPED_TRACE (s);
            EXPECT_EQ (views.slots.getRow (s).name, slotList[s]->getName());
            EXPECT_DOUBLE_EQ (views.slots.getRow (s).lengthSeconds, slotList[s]->getTimeLength());
            EXPECT_EQ (views.pads.getPad (s).audioFile, slotList[s]->getFile());
        }

        EXPECT_TRUE (views.slots.getRow (2).hasAudio);
        EXPECT_TRUE (slotList[2]->getFile().existsAsFile());
        EXPECT_EQ (views.detail.getState().slotIndex, 2);
        EXPECT_EQ (views.detail.getState().audioFile, slotList[2]->getFile());
        EXPECT_EQ (views.browse.getItems().size(), operation.replacesCollection ? 3u : storedBanks);
    }
}

// Session records as the statistics keep them, one JSON object a line.
juce::Array<juce::var> sessionRecords (const juce::File& logFolder)
{
    juce::Array<juce::var> records;
    const auto data =
        common::CryptoFile::getInstance()->readJsonRecords (logFolder.getChildFile ("$session"));

    if (data == nullptr)
        return records;

    const auto text =
        juce::String::fromUTF8 (static_cast<const char*> (data->text.getData()), (int)data->text.getSize());

    for (const auto& line : juce::StringArray::fromTokens (text, "\r\n", ""))
        if (line.isNotEmpty())
            records.add (juce::JSON::parse (line));

    return records;
}

// Statistics kept in a test folder for one run; the program's own come back afterwards.
struct UsageRun
{
    explicit UsageRun (const juce::File& folder)
        : logFolder (folder)
    {
        common::UsageLogger::Environment environment;
        environment.logFolder = logFolder;
        environment.uploadUrl =
            "http://127.0.0.1:" + juce::String (LoopbackHttpServer::findRefusingPort()) + "/api/log/v1/log";
        environment.productName = "GLORVAK Sample Manager";
        environment.productVersion = "1.0.0.0001";
        environment.osName = "Debian GNU/Linux 12 (bookworm)";
        environment.osVersion = "6.1.0";
        environment.now = [] { return 2000.0; };
        environment.processStart = [] { return 1000.0; };
        common::UsageLogger::setEnvironment (environment);
        common::UsageLogger::start();
    }

    ~UsageRun()
    {
        common::UsageLogger::endProcess();
        common::UsageLogger::setEnvironment (std::nullopt);
    }

    juce::File logFolder;
};

TEST (VantorServiceWholeSet, AnExportReachesTheUsageStatistics)
{
    ServiceFixture f ({{0, 1, "Full.wav", 96000 * 2, 0, -1, "Full", 12000, -2.0}, {2, 3, "B.wav", 9600}});
    UsageRun run (f.scratch.child ("log"));

    ASSERT_TRUE (
        runOnWorker ([&] { return f.service->exportToDevice (f.scratch.child ("volume"), nullptr); }));

    // After the start's "PC Info": each SLOT with a file, each BANK, then the general record.
    const auto records = sessionRecords (run.logFolder);
    ASSERT_EQ (records.size(), 1 + 2 + dataset::WyxModel::bankCount + 1);
    juce::StringArray names;

    for (const auto& record : records)
        names.add (record["name"].toString() + " " + record["str1"].toString());

    juce::StringArray expected{"PC Info Debian GNU/Linux 12 (bookworm)",
                               "SLOT Info 1-2",
                               "BANK Info 1",
                               "BANK Info 2",
                               "SLOT Info 3-4",
                               "BANK Info 3"};

    for (int bankNumber = 4; bankNumber <= dataset::WyxModel::bankCount; ++bankNumber)
        expected.add ("BANK Info " + juce::String (bankNumber));

    expected.add ("General ");
    EXPECT_EQ (names, expected);

    EXPECT_EQ (records[1]["value1"], juce::var (2.0));      // file seconds
    EXPECT_EQ (records[1]["value3"], juce::var (120.0));    // BPM
    EXPECT_EQ (records[2]["value2"], juce::var (1));        // SLOTs in BANK 1
    EXPECT_EQ (records.getLast()["value1"], juce::var (2)); // BANKs with samples
    EXPECT_EQ (records.getLast()["value2"], juce::var (3)); // favourite BANK number
}
} // namespace
