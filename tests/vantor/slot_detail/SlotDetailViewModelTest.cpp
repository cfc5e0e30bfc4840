#include "vantor/slot_detail/SlotDetailViewModel.h"
#include "common/usage/CryptoFile.h"
#include "common/usage/UsageLogger.h"
#include "vantor/service/BpmMath.h"
#include "vantor/slot_detail/CalcBpmCmd.h"
#include "vantor/slot_detail/ChangeBeatCmd.h"
#include "vantor/slot_detail/ChangeBpmCmd.h"
#include "vantor/slot_detail/ChangeCalcBpmModeCmd.h"
#include "vantor/slot_detail/ChangeEndTimeCmd.h"
#include "vantor/slot_detail/ChangeGainDbCmd.h"
#include "vantor/slot_detail/ChangeLoopModeCmd.h"
#include "vantor/slot_detail/ChangeSlotTimeRangeCmd.h"
#include "vantor/slot_detail/ChangeStartTimeCmd.h"

#include "support/DispatchCases.h"
#include "support/LoopbackHttpServer.h"
#include "support/MockVantorDataMediator.h"
#include "support/StubWyxSlot.h"
#include "support/ViewModelFixture.h"

#include <gmock/gmock.h>

#include <functional>
#include <limits>
#include <map>
#include <stdexcept>

using glorvak::test::MockVantorDataMediator;
using glorvak::test::StubWyxSlot;
using testing::_;
using testing::Field;
using testing::InSequence;
using testing::Return;
using testing::StrictMock;
using vantor::slot_detail::ISlotDetailCommandDispathcer;
using vantor::slot_detail::SlotDetailObserver;
using vantor::slot_detail::SlotDetailState;
using vantor::slot_detail::SlotDetailViewModel;

namespace
{
class MockSlotDetailObserver : public SlotDetailObserver
{
public:
    MOCK_METHOD (void, slotDetailChanged, (const SlotDetailState&, bool), (override));
    MOCK_METHOD (void, slotDetailReloaded, (const SlotDetailState&), (override));
    MOCK_METHOD (void, startTimeChanged, (double), (override));
    MOCK_METHOD (void, endTimeChanged, (double), (override));
    MOCK_METHOD (void, loopModeChanged, (bool), (override));
    MOCK_METHOD (void, gainDbChanged, (float), (override));
    MOCK_METHOD (void, beatsChanged, (double), (override));
    MOCK_METHOD (void, bpmChanged, (double), (override));
    MOCK_METHOD (void, bpmCalculated, (double), (override));
};

// Each editor action reaches the service as exactly one call of the operation for the selected
// SLOT, with its values unchanged or, for halving and doubling, worked out.
TEST (SlotDetailViewModel, EachDispatcherCallRunsOneServiceOperation)
{
    glorvak::test::runDispatchCases<SlotDetailViewModel, ISlotDetailCommandDispathcer> ({
        {"changeBpm", [] (auto& d) { d.changeBpm (12345); },
         [] (auto& m) { EXPECT_CALL (m, setBpm (12345)).WillOnce (Return (true)); }},
        {"changeBeats", [] (auto& d) { d.changeBeats (400); },
         [] (auto& m) { EXPECT_CALL (m, setBeats (400, false)).WillOnce (Return (true)); }},
        {"changeBeats zero clears silently", [] (auto& d) { d.changeBeats (0); },
         [] (auto& m) { EXPECT_CALL (m, setBeats (0, false)).WillOnce (Return (false)); }},
        {"halveBeats 0.03", [] (auto& d) { d.halveBeats (3); },
         [] (auto& m) { EXPECT_CALL (m, setBeats (1, true)).WillOnce (Return (true)); }},
        {"halveBeats 0.01 gives zero beats, which need a message", [] (auto& d) { d.halveBeats (1); },
         [] (auto& m) { EXPECT_CALL (m, setBeats (0, true)).WillOnce (Return (false)); }},
        {"halveBeats truncates toward zero", [] (auto& d) { d.halveBeats (-3); },
         [] (auto& m) { EXPECT_CALL (m, setBeats (-1, true)).WillOnce (Return (false)); }},
        {"doubleBeats", [] (auto& d) { d.doubleBeats (400); },
         [] (auto& m) { EXPECT_CALL (m, setBeats (800, true)).WillOnce (Return (true)); }},
        {"doubleBeats zero", [] (auto& d) { d.doubleBeats (0); },
         [] (auto& m) { EXPECT_CALL (m, setBeats (0, true)).WillOnce (Return (false)); }},
        {"doubleBeats of a huge count stays the largest count", [] (auto& d) { d.doubleBeats (1500000000); },
         [] (auto& m)
         { EXPECT_CALL (m, setBeats (std::numeric_limits<int>::max(), true)).WillOnce (Return (true)); }},
        {"doubleBeats of a hugely negative count stays the smallest count",
         [] (auto& d) { d.doubleBeats (std::numeric_limits<int>::min()); },
         [] (auto& m)
         { EXPECT_CALL (m, setBeats (std::numeric_limits<int>::min(), true)).WillOnce (Return (false)); }},
        {"changeStartTime", [] (auto& d) { d.changeStartTime (1.25); },
         [] (auto& m) { EXPECT_CALL (m, setStartTime (1.25)).WillOnce (Return (false)); }},
        {"changeEndTime", [] (auto& d) { d.changeEndTime (2.5); },
         [] (auto& m) { EXPECT_CALL (m, setEndTime (2.5)).WillOnce (Return (false)); }},
        {"changeTimeRange keeps start and end apart", [] (auto& d) { d.changeTimeRange (0.5, 2.0); },
         [] (auto& m) { EXPECT_CALL (m, setTimeRange (0.5, 2.0)).WillOnce (Return (false)); }},
        {"changeGainDb", [] (auto& d) { d.changeGainDb (-3.5f); },
         [] (auto& m) { EXPECT_CALL (m, setGainDb (-3.5f)).WillOnce (Return (true)); }},
        {"changeLoopMode", [] (auto& d) { d.changeLoopMode (true); },
         [] (auto& m) { EXPECT_CALL (m, setLoop (true)).WillOnce (Return (true)); }},
        {"changeCalcBpmMode", [] (auto& d) { d.changeCalcBpmMode (true); },
         [] (auto& m) { EXPECT_CALL (m, setCalcBpmMode (true)).WillOnce (Return (true)); }},
        {"calcBpm", [] (auto& d) { d.calcBpm (400); },
         [] (auto& m) { EXPECT_CALL (m, calculateBpm (400)).WillOnce (Return (false)); }},
    });
}

// A command returns what its operation returned; the view model drops it.
TEST (SlotDetailCommands, ExecuteReturnsTheServiceResult)
{
    using namespace vantor::slot_detail;

    for (const bool result : {true, false})
    {
        SCOPED_TRACE (result);
        StrictMock<MockVantorDataMediator> service;
        EXPECT_CALL (service, setBpm (12000)).WillOnce (Return (result));
        EXPECT_CALL (service, setBeats (100, true)).WillOnce (Return (result));
        EXPECT_CALL (service, setCalcBpmMode (false)).WillOnce (Return (result));
        EXPECT_CALL (service, calculateBpm (200)).WillOnce (Return (result));
        EXPECT_CALL (service, setStartTime (0.5)).WillOnce (Return (result));
        EXPECT_CALL (service, setEndTime (0.75)).WillOnce (Return (result));
        EXPECT_CALL (service, setTimeRange (0.5, 0.75)).WillOnce (Return (result));
        EXPECT_CALL (service, setGainDb (2.0f)).WillOnce (Return (result));
        EXPECT_CALL (service, setLoop (false)).WillOnce (Return (result));

        EXPECT_EQ (ChangeBpmCmd (&service, 12000).execute(), result);
        EXPECT_EQ (ChangeBeatCmd (&service, 100, true).execute(), result);
        EXPECT_EQ (ChangeCalcBpmModeCmd (&service, false).execute(), result);
        EXPECT_EQ (CalcBpmCmd (&service, 200).execute(), result);
        EXPECT_EQ (ChangeStartTimeCmd (&service, 0.5).execute(), result);
        EXPECT_EQ (ChangeEndTimeCmd (&service, 0.75).execute(), result);
        EXPECT_EQ (ChangeSlotTimeRangeCmd (&service, 0.5, 0.75).execute(), result);
        EXPECT_EQ (ChangeGainDbCmd (&service, 2.0f).execute(), result);
        EXPECT_EQ (ChangeLoopModeCmd (&service, false).execute(), result);
    }
}

// Only a calculation or a range change the service carried out counts as used; the counters reach
// the usage records when the statistics stop.
TEST (SlotDetailCommands, SuccessfulCommandsAddToTheUsageCounters)
{
    using namespace vantor::slot_detail;
    using common::UsageLogger;

    const auto folder = juce::File::getSpecialLocation (juce::File::userHomeDirectory)
                            .getNonexistentChildFile ("usage", "", false);
    ASSERT_TRUE (folder.createDirectory().wasOk());

    UsageLogger::Environment environment;
    environment.logFolder = folder;
    // Records are kept only with an upload address; nothing listens there, and a first run has
    // nothing to send.
    environment.uploadUrl =
        "http://127.0.0.1:" + juce::String (glorvak::test::LoopbackHttpServer::findRefusingPort());
    environment.productName = "GLORVAK Sample Manager";
    environment.productVersion = "1.0.0.0";
    environment.now = [] { return 1002.0; };
    environment.processStart = [] { return 1000.0; };
    UsageLogger::setEnvironment (environment);
    UsageLogger::start();

    StrictMock<MockVantorDataMediator> service;
    EXPECT_CALL (service, calculateBpm (_)).WillOnce (Return (true)).WillOnce (Return (false));
    EXPECT_CALL (service, setStartTime (_)).WillOnce (Return (true)).WillOnce (Return (false));
    EXPECT_CALL (service, setEndTime (_)).WillOnce (Return (true)).WillOnce (Return (false));
    EXPECT_CALL (service, setTimeRange (_, _)).WillOnce (Return (true)).WillOnce (Return (false));

    for (int i = 0; i < 2; ++i)
    {
        CalcBpmCmd (&service, 400).execute();
        ChangeStartTimeCmd (&service, 0.5).execute();
        ChangeEndTimeCmd (&service, 1.5).execute();
        ChangeSlotTimeRangeCmd (&service, 0.5, 1.5).execute();
    }

    UsageLogger::stop (1, "en");

    std::map<juce::String, juce::var> counts;
    const auto session =
        common::CryptoFile::getInstance()->readJsonRecords (folder.getChildFile ("$session"));
    ASSERT_NE (session, nullptr);

    for (const auto& line : juce::StringArray::fromLines (juce::String::fromUTF8 (
             static_cast<const char*> (session->text.getData()), (int)session->text.getSize())))
        if (const auto record = juce::JSON::parse (line); record.isObject())
            counts[record["name"].toString()] = record["value1"];

    EXPECT_EQ (counts["BPM Calc"], juce::var (1));
    EXPECT_EQ (counts["Adjust Length"], juce::var (3));

    UsageLogger::endProcess();
    UsageLogger::setEnvironment (std::nullopt);
    folder.deleteRecursively();
}

// A failing service call passes its exception on; the command is gone all the same (the leak
// checker of the sanitizer build would report it otherwise).
TEST (SlotDetailViewModel, ExceptionOfTheServicePassesThrough)
{
    StrictMock<MockVantorDataMediator> service;
    EXPECT_CALL (service, setBpm (_))
        .WillOnce ([] (const int&) -> bool { throw std::runtime_error ("boom"); });

    SlotDetailViewModel viewModel (&service);
    ISlotDetailCommandDispathcer& dispatcher = viewModel;
    EXPECT_THROW (dispatcher.changeBpm (12000), std::runtime_error);
}

class SlotDetailUpdates : public glorvak::test::ViewModelFixture<SlotDetailViewModel, MockSlotDetailObserver>
{
    void expectJoiningState (StrictMock<MockSlotDetailObserver>& o) override
    {
        EXPECT_CALL (o, slotDetailChanged (_, false));
    }

    void join (MockSlotDetailObserver& o) override { viewModel.addListener (&o); }
};

TEST_F (SlotDetailUpdates, UpdateFromSlotCopiesTheSlotsValues)
{
    // 96000 of 192000 frames at 96000 Hz and 120 BPM: one second, two beats.
    auto slot = StubWyxSlot::withAudio ("Kick", 192000, 96000.0, 0, 96000);
    slot->bpmX100 = 12000;
    slot->gainDb = -4.5f;
    slot->loop = true;
    listen();

    viewModel.setCalcBpmMode (true);
    EXPECT_CALL (observer, slotDetailChanged (Field (&SlotDetailState::endSeconds, 1.0), true));
    viewModel.updateFromSlot (2, slot.get(), true, true);

    const auto& state = viewModel.getState();
    EXPECT_EQ (state.slotIndex, 2);
    EXPECT_EQ (state.audioFile, slot->file);
    EXPECT_DOUBLE_EQ (state.startSeconds, 0.0);
    EXPECT_DOUBLE_EQ (state.endSeconds, 1.0);
    EXPECT_DOUBLE_EQ (state.fileLengthSeconds, 2.0);
    EXPECT_DOUBLE_EQ (state.beats, 2.0);
    EXPECT_DOUBLE_EQ (state.bpm, 120.0);
    EXPECT_FLOAT_EQ (state.gainDb, -4.5f);
    EXPECT_TRUE (state.loop);
    EXPECT_FALSE (state.calcBpmMode) << "a new SLOT always starts outside the calculation mode";

    // The state is a copy: later changes of the SLOT do not show until the next update.
    slot->gainDb = 3.0f;
    EXPECT_FLOAT_EQ (viewModel.getState().gainDb, -4.5f);
}

TEST_F (SlotDetailUpdates, SlotWithoutSampleRateShowsNoTimes)
{
    auto slot = StubWyxSlot::withAudio ("Broken", 192000, 0.0, 1000, 96000);
    listen();

    viewModel.updateFromSlot (1, slot.get(), false, false); // no notification
    EXPECT_DOUBLE_EQ (viewModel.getState().startSeconds, 0.0);
    EXPECT_DOUBLE_EQ (viewModel.getState().endSeconds, 0.0);
    EXPECT_DOUBLE_EQ (viewModel.getState().fileLengthSeconds, 0.0);
}

TEST_F (SlotDetailUpdates, EndBeforeStartIsRaisedToTheStart)
{
    auto slot = StubWyxSlot::withAudio ("Odd", 192000, 96000.0, 96000, 48000);
    viewModel.updateFromSlot (0, slot.get(), false, false);
    EXPECT_DOUBLE_EQ (viewModel.getState().startSeconds, 1.0);
    EXPECT_DOUBLE_EQ (viewModel.getState().endSeconds, 1.0);
}

// The shown BPM converts back to the hundredths the SLOT holds, so confirming a value unchanged
// never moves it by one hundredth.
TEST_F (SlotDetailUpdates, BpmTurnsBackIntoTheSameHundredths)
{
    for (const int bpmX100 : {4000, 4005, 12345, 12999, 29, 99999})
    {
        SCOPED_TRACE (bpmX100);
        auto slot = StubWyxSlot::withAudio ("Loop", 96000, 96000.0, 0, 96000);
        slot->bpmX100 = bpmX100;
        viewModel.updateFromSlot (0, slot.get(), false, false);
        EXPECT_EQ (vantor::service::BpmMath::toHundredths (viewModel.getState().bpm), bpmX100);
    }
}

TEST_F (SlotDetailUpdates, ReloadSendsOnlyTheReloadNotification)
{
    auto slot = StubWyxSlot::withAudio ("Snare", 96000, 96000.0, 0, 48000);
    listen();

    EXPECT_CALL (observer, slotDetailReloaded (Field (&SlotDetailState::endSeconds, 0.5)));
    viewModel.reloadFromSlot (3, slot.get());
    EXPECT_EQ (viewModel.getState().slotIndex, 3);
}

TEST_F (SlotDetailUpdates, SingleValuesAreStoredAndNotifiedAlone)
{
    listen();
    InSequence order;

    // A start beyond the end drags the end along, but only the start is told.
    EXPECT_CALL (observer, endTimeChanged (3.0));
    viewModel.setEndTime (3.0);
    EXPECT_CALL (observer, startTimeChanged (5.0));
    viewModel.setStartTime (5.0);
    EXPECT_DOUBLE_EQ (viewModel.getState().startSeconds, 5.0);
    EXPECT_DOUBLE_EQ (viewModel.getState().endSeconds, 5.0);

    EXPECT_CALL (observer, startTimeChanged (2.0));
    viewModel.setStartTime (2.0);
    EXPECT_CALL (observer, endTimeChanged (1.0));
    viewModel.setEndTime (1.0);
    EXPECT_DOUBLE_EQ (viewModel.getState().startSeconds, 1.0);
    EXPECT_DOUBLE_EQ (viewModel.getState().endSeconds, 1.0);

    EXPECT_CALL (observer, loopModeChanged (true));
    viewModel.setLoopMode (true);
    EXPECT_CALL (observer, gainDbChanged (-18.0f));
    viewModel.setGainDb (-18.0f);
    EXPECT_CALL (observer, beatsChanged (4.5));
    viewModel.setBeats (450);
    EXPECT_CALL (observer, bpmChanged (123.45));
    viewModel.setBpm (12345);

    const auto& state = viewModel.getState();
    EXPECT_TRUE (state.loop);
    EXPECT_FLOAT_EQ (state.gainDb, -18.0f);
    EXPECT_DOUBLE_EQ (viewModel.getBeats(), 4.5);
    EXPECT_DOUBLE_EQ (state.bpm, 123.45);

    // Neither of these changes what is shown: the mode flag is silent, a computed BPM is only
    // offered.
    viewModel.setCalcBpmMode (true);
    EXPECT_TRUE (viewModel.getState().calcBpmMode);
    EXPECT_CALL (observer, bpmCalculated (120.0));
    viewModel.notifyBpmCalculated (12000);
    EXPECT_DOUBLE_EQ (viewModel.getState().bpm, 123.45);
}

TEST_F (SlotDetailUpdates, OnlyANewObserverHearsTheCurrentState)
{
    listen();
    StrictMock<MockSlotDetailObserver> second;
    EXPECT_CALL (second, slotDetailChanged (_, false));

    viewModel.addListener (&second);
    viewModel.addListener (&second); // already registered: nothing
    viewModel.addListener (nullptr);

    EXPECT_CALL (observer, gainDbChanged (1.0f));
    EXPECT_CALL (second, gainDbChanged (1.0f)); // once, not twice
    viewModel.setGainDb (1.0f);

    viewModel.removeListener (&second);
    EXPECT_CALL (observer, gainDbChanged (2.0f));
    viewModel.setGainDb (2.0f);
}
} // namespace
