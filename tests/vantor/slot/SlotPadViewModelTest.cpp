#include "vantor/slot/SlotPadViewModel.h"
#include "vantor/dataset/WyxSlotList.h"

#include "support/MockVantorDataMediator.h"
#include "support/StubWyxSlot.h"
#include "support/ViewModelFixture.h"

#include <gmock/gmock.h>

using glorvak::test::MockVantorDataMediator;
using glorvak::test::StubWyxSlot;
using testing::_;
using testing::Field;
using testing::InSequence;
using testing::Return;
using testing::StrictMock;
using vantor::slot::ISlotPadCommandDispatcher;
using vantor::slot::SlotIndex;
using vantor::slot::SlotPadObserver;
using vantor::slot::SlotPadState;
using vantor::slot::SlotPadViewModel;

namespace
{
class MockSlotPadObserver : public SlotPadObserver
{
public:
    MOCK_METHOD (void, padChanged, (int, const SlotPadState&), (override));
    MOCK_METHOD (void, padStartTimeChanged, (int, double), (override));
    MOCK_METHOD (void, padEndTimeChanged, (int, double), (override));
    MOCK_METHOD (void, padLoopModeChanged, (int, bool), (override));
    MOCK_METHOD (void, padGainDbChanged, (int, float), (override));
};

// A pad drop and a fader move each reach the service as one call for that SLOT.
TEST (SlotPadViewModel, PadActionsRunOneServiceOperationEach)
{
    StrictMock<MockVantorDataMediator> service;
    SlotPadViewModel viewModel (&service);
    ISlotPadCommandDispatcher& dispatcher = viewModel;
    const juce::File file ("/music/x.FlAc");

    InSequence order;
    EXPECT_CALL (service, assignAudio (3, file)).WillOnce (Return (false));
    EXPECT_CALL (service, setSlotGainDb (1, -18.0f)).WillOnce (Return (true));
    EXPECT_CALL (service, setSlotGainDb (0, 0.0f)).WillOnce (Return (true));

    dispatcher.assignAudio (3, file);
    dispatcher.changeGainDb (1, -18.0f);
    dispatcher.changeGainDb (0, 0.0f);
}

class SlotPadUpdates : public glorvak::test::ViewModelFixture<SlotPadViewModel, MockSlotPadObserver>
{
    void expectJoiningState (StrictMock<MockSlotPadObserver>& o) override
    {
        EXPECT_CALL (o, padChanged (_, _)).Times (4);
    }

    void join (MockSlotPadObserver& o) override { viewModel.addListener (&o); }
};

TEST_F (SlotPadUpdates, NewPadHearsAllFourStatesInOrder)
{
    vantor::dataset::WyxSlotList list;

    for (int i = 0; i < 4; ++i)
    {
        auto slot =
            StubWyxSlot::withAudio ("S" + juce::String (i), 192000, 96000.0, 48000 * i, 96000 + 48000 * i);
        slot->gainDb = (float)i;
        slot->loop = i >= 2;
        list.slots.set (i, slot.get());
    }

    viewModel.updateFromSlotList (list, false);

    InSequence order;

    for (int i = 0; i < 4; ++i)
        EXPECT_CALL (observer,
                     padChanged (i, testing::AllOf (Field (&SlotPadState::startSeconds, 0.5 * i),
                                                    Field (&SlotPadState::endSeconds, 1.0 + 0.5 * i),
                                                    Field (&SlotPadState::gainDb, (float)i),
                                                    Field (&SlotPadState::loop, i >= 2))));

    viewModel.addListener (&observer);

    // Registered pads get nothing when another joins.
    StrictMock<MockSlotPadObserver> second;
    EXPECT_CALL (second, padChanged (_, _)).Times (4);
    viewModel.addListener (&second);
}

TEST_F (SlotPadUpdates, ListRefillNotifiesEachPadAndStopsAtAGap)
{
    listen();
    vantor::dataset::WyxSlotList list;

    for (int i = 0; i < 4; ++i)
        list.slots.set (i, StubWyxSlot::withAudio ("S", 96000, 96000.0, 0, 96000).get());

    EXPECT_CALL (observer, padChanged (_, Field (&SlotPadState::endSeconds, 1.0))).Times (4);
    viewModel.updateFromSlotList (list, true);

    list.slots.set (1, nullptr);
    list.slots.set (0, StubWyxSlot::withAudio ("T", 96000, 96000.0, 0, 48000).get());
    viewModel.updateFromSlotList (list, true); // pad 0 refilled, nobody told
    EXPECT_DOUBLE_EQ (viewModel.getPad (0).endSeconds, 0.5);
}

TEST_F (SlotPadUpdates, UpdateSlotRefillsOnePad)
{
    listen();

    auto slot = StubWyxSlot::withAudio ("Hit", 96000, 0.0, 100, 200); // no rate: no times
    slot->gainDb = 2.5f;
    EXPECT_CALL (observer, padChanged (2, testing::AllOf (Field (&SlotPadState::endSeconds, 0.0),
                                                          Field (&SlotPadState::gainDb, 2.5f),
                                                          Field (&SlotPadState::audioFile, slot->file))));
    viewModel.updateSlot (slot.get(), 2);

    viewModel.updateSlot (slot.get(), 4);
    viewModel.updateSlot (slot.get(), -1);
}

TEST_F (SlotPadUpdates, EdgesDragEachOtherButNotifyAlone)
{
    listen();
    InSequence order;

    EXPECT_CALL (observer, padEndTimeChanged (1, 2.0));
    viewModel.setEndTime (2.0, SlotIndex (1));
    EXPECT_CALL (observer, padStartTimeChanged (1, 3.0));
    viewModel.setStartTime (3.0, SlotIndex (1));
    EXPECT_DOUBLE_EQ (viewModel.getPad (1).endSeconds, 3.0);

    EXPECT_CALL (observer, padEndTimeChanged (1, 0.5));
    viewModel.setEndTime (0.5, SlotIndex (1));
    EXPECT_DOUBLE_EQ (viewModel.getPad (1).startSeconds, 0.5);

    EXPECT_CALL (observer, padLoopModeChanged (3, true));
    viewModel.setLoopMode (true, SlotIndex (3));
    EXPECT_CALL (observer, padGainDbChanged (0, -17.5f));
    viewModel.setGainDb (-17.5f, SlotIndex (0));

    viewModel.setStartTime (1.0, SlotIndex (4));
    viewModel.setEndTime (1.0, SlotIndex (-1));
    viewModel.setLoopMode (true, SlotIndex (4));
    viewModel.setGainDb (1.0f, SlotIndex (-1));

    EXPECT_TRUE (viewModel.getPad (3).loop);
    EXPECT_FLOAT_EQ (viewModel.getPad (0).gainDb, -17.5f);
}
} // namespace
