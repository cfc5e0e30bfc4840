#include "vantor/slot/SlotViewModel.h"
#include "vantor/dataset/WyxSlotList.h"
#include "vantor/slot/AssignAudioCmd.h"
#include "vantor/slot/ChangeGainDbCmd.h"
#include "vantor/slot/ChangeSlotNameCmd.h"
#include "vantor/slot/CopySlotCmd.h"
#include "vantor/slot/CutSlotCmd.h"
#include "vantor/slot/DeleteSlotCmd.h"
#include "vantor/slot/PasteSlotCmd.h"
#include "vantor/slot/SelectSlotCmd.h"
#include "vantor/slot/SwapSlotCmd.h"

#include "support/DispatchCases.h"
#include "support/MockVantorDataMediator.h"
#include "support/StubWyxSlot.h"
#include "support/ViewModelFixture.h"

#include <gmock/gmock.h>

#include <functional>
#include <type_traits>

using glorvak::test::MockVantorDataMediator;
using glorvak::test::StubWyxSlot;
using testing::_;
using testing::Return;
using testing::StrictMock;
using vantor::slot::ISlotCommandDispatcher;
using vantor::slot::SlotIndex;
using vantor::slot::SlotListState;
using vantor::slot::SlotObserver;
using vantor::slot::SlotViewModel;

namespace
{
// What the service may call on the view model: the setters, with the value first and a spelled
// out index second; never the dispatcher (a SelectSlotCmd would run back into the service).
template <typename, typename = void>
struct CanCallSelectSlot : std::false_type
{
};
template <typename T>
struct CanCallSelectSlot<T, std::void_t<decltype (std::declval<T&>().selectSlot (0))>> : std::true_type
{
};
template <typename, typename, typename, typename = void>
struct CanSetLength : std::false_type
{
};
template <typename T, typename A, typename B>
struct CanSetLength<
    T, A, B, std::void_t<decltype (std::declval<T&>().setSlotLength (std::declval<A>(), std::declval<B>()))>>
    : std::true_type
{
};

static_assert (!CanCallSelectSlot<SlotViewModel>::value);
static_assert (CanCallSelectSlot<ISlotCommandDispatcher>::value);
static_assert (CanSetLength<SlotViewModel, double, SlotIndex>::value);
static_assert (!CanSetLength<SlotViewModel, int, double>::value, "index and value swapped");
static_assert (!CanSetLength<SlotViewModel, double, int>::value, "a bare int is no index");

class MockSlotObserver : public SlotObserver
{
public:
    MOCK_METHOD (void, slotListChanged, (const std::unique_ptr<SlotListState>&), (override));
    MOCK_METHOD (void, slotChanged, (int, bool, const juce::String&, double, bool), (override));
    MOCK_METHOD (void, slotNameChanged, (int, const juce::String&), (override));
    MOCK_METHOD (void, slotLengthChanged, (int, double), (override));
    MOCK_METHOD (void, slotLoopModeChanged, (int, bool), (override));
    MOCK_METHOD (void, selectedSlotChanged, (int), (override));
};

MATCHER_P (SelectsSlot, index, "")
{
    return arg != nullptr && arg->selectedSlot == index;
}
MATCHER_P2 (RowNamed, row, name, "")
{
    return arg != nullptr && arg->rows[(size_t)row].name == name;
}

TEST (SlotViewModel, EachDispatcherCallRunsOneServiceOperation)
{
    const juce::File file ("/music/Loop.WAV");
    glorvak::test::runDispatchCases<SlotViewModel, ISlotCommandDispatcher> ({
        {"assignAudio", [&] (auto& d) { d.assignAudio (2, file); },
         [&] (auto& m) { EXPECT_CALL (m, assignAudio (2, file)).WillOnce (Return (true)); }},
        {"selectSlot", [] (auto& d) { d.selectSlot (1); },
         [] (auto& m) { EXPECT_CALL (m, selectSlot (1)).WillOnce (Return (true)); }},
        {"swapSlot keeps the order", [] (auto& d) { d.swapSlot (3, 0); },
         [] (auto& m) { EXPECT_CALL (m, swapSlots (3, 0)).WillOnce (Return (true)); }},
        {"deleteSlot clears", [] (auto& d) { d.deleteSlot (2); },
         [] (auto& m) { EXPECT_CALL (m, clearSlot (2)).WillOnce (Return (true)); }},
        {"cutSlot", [] (auto& d) { d.cutSlot (0); },
         [] (auto& m) { EXPECT_CALL (m, cutSlot (0)).WillOnce (Return (false)); }},
        {"copySlot", [] (auto& d) { d.copySlot (3); },
         [] (auto& m) { EXPECT_CALL (m, copySlot (3)).WillOnce (Return (true)); }},
        {"pasteSlot", [] (auto& d) { d.pasteSlot (1); },
         [] (auto& m) { EXPECT_CALL (m, pasteSlot (1)).WillOnce (Return (false)); }},
        {"changeSlotName", [] (auto& d) { d.changeSlotName (0, "Kick, hard"); },
         [] (auto& m)
         { EXPECT_CALL (m, renameSlot (0, juce::String ("Kick, hard"))).WillOnce (Return (true)); }},
        {"an index out of range still goes to the service, which checks it",
         [] (auto& d) { d.selectSlot (-1); },
         [] (auto& m) { EXPECT_CALL (m, selectSlot (-1)).WillOnce (Return (false)); }},
    });
}

TEST (SlotCommands, ExecuteReturnsTheServiceResult)
{
    using namespace vantor::slot;

    for (const bool result : {true, false})
    {
        SCOPED_TRACE (result);
        StrictMock<MockVantorDataMediator> service;
        const juce::File file ("/music/a.flac");
        EXPECT_CALL (service, assignAudio (1, file)).WillOnce (Return (result));
        EXPECT_CALL (service, setSlotGainDb (3, 2.0f)).WillOnce (Return (result));
        EXPECT_CALL (service, selectSlot (2)).WillOnce (Return (result));
        EXPECT_CALL (service, swapSlots (0, 1)).WillOnce (Return (result));
        EXPECT_CALL (service, clearSlot (1)).WillOnce (Return (result));
        EXPECT_CALL (service, cutSlot (2)).WillOnce (Return (result));
        EXPECT_CALL (service, copySlot (3)).WillOnce (Return (result));
        EXPECT_CALL (service, pasteSlot (0)).WillOnce (Return (result));
        EXPECT_CALL (service, renameSlot (1, juce::String ("Hat"))).WillOnce (Return (result));

        EXPECT_EQ (AssignAudioCmd (&service, 1, file).execute(), result);
        EXPECT_EQ (ChangeGainDbCmd (&service, 3, 2.0f).execute(), result);
        EXPECT_EQ (SelectSlotCmd (&service, 2).execute(), result);
        EXPECT_EQ (SwapSlotCmd (&service, 0, 1).execute(), result);
        EXPECT_EQ (DeleteSlotCmd (&service, 1).execute(), result);
        EXPECT_EQ (CutSlotCmd (&service, 2).execute(), result);
        EXPECT_EQ (CopySlotCmd (&service, 3).execute(), result);
        EXPECT_EQ (PasteSlotCmd (&service, 0).execute(), result);
        EXPECT_EQ (ChangeSlotNameCmd (&service, 1, "Hat").execute(), result);
    }
}

class SlotUpdates : public glorvak::test::ViewModelFixture<SlotViewModel, MockSlotObserver>
{
    void expectJoiningState (StrictMock<MockSlotObserver>& o) override
    {
        EXPECT_CALL (o, slotListChanged (_));
    }

    void join (MockSlotObserver& o) override { viewModel.addListener (&o); }

protected:
    // Four SLOTs named A..D, each a second longer than the one before, the last one looping.
    static void fill (vantor::dataset::WyxSlotList& list, const juce::String& prefix)
    {
        for (int i = 0; i < 4; ++i)
        {
            auto slot =
                StubWyxSlot::withAudio (prefix + juce::String::charToString ((juce::juce_wchar) ('A' + i)),
                                        480000, 96000.0, 0, 96000 * (i + 1));
            slot->loop = i == 3;
            list.slots.set (i, slot.get());
        }
    }
};

TEST_F (SlotUpdates, SlotListFillsAllRowsAndKeepsTheSelection)
{
    vantor::dataset::WyxSlotList list;
    fill (list, "one-");

    // Linking: the rows fill silently; the observer added afterwards sees them.
    viewModel.setSelectedSlot (2); // nobody listens yet
    viewModel.updateFromSlotList (list, false);
    EXPECT_CALL (observer, slotListChanged (testing::AllOf (SelectsSlot (2), RowNamed (3, "one-D"))));
    viewModel.addListener (&observer);

    for (int i = 0; i < 4; ++i)
    {
        const auto& row = viewModel.getRow (i);
        EXPECT_TRUE (row.hasAudio);
        EXPECT_DOUBLE_EQ (row.lengthSeconds, i + 1.0);
        EXPECT_EQ (row.loop, i == 3);
    }

    // Another BANK: the same SLOT index stays selected.
    vantor::dataset::WyxSlotList other;
    fill (other, "two-");
    EXPECT_CALL (observer, slotListChanged (testing::AllOf (SelectsSlot (2), RowNamed (0, "two-A"))));
    viewModel.updateFromSlotList (other, true);
    EXPECT_EQ (viewModel.getSelectedSlot(), 2);
}

TEST_F (SlotUpdates, MalformedListStopsWithoutNotification)
{
    vantor::dataset::WyxSlotList list;
    fill (list, "x-");
    listen();

    list.slots.set (2, nullptr);
    viewModel.updateFromSlotList (list, true); // rows 0 and 1 take the new values, nobody is told
    EXPECT_EQ (viewModel.getRow (1).name, "x-B");
    EXPECT_EQ (viewModel.getRow (2).name, "");
}

TEST_F (SlotUpdates, UpdateSlotCopiesOneRow)
{
    listen();

    // A SLOT without file or rate: no audio, no length, whatever its range says.
    auto empty = StubWyxSlot::empty();
    empty->range = {0, 96000};
    EXPECT_CALL (observer, slotChanged (1, false, juce::String(), 0.0, false));
    viewModel.updateSlot (empty.get(), 1);

    auto full = StubWyxSlot::withAudio ("Bass", 96000, 96000.0, 0, 96000);
    full->loop = true;
    EXPECT_CALL (observer, slotChanged (3, true, juce::String ("Bass"), 1.0, true));
    viewModel.updateSlot (full.get(), 3);

    viewModel.updateSlot (full.get(), 4);
    viewModel.updateSlot (full.get(), -1);

    full->name = "changed later";
    EXPECT_EQ (viewModel.getRow (3).name, "Bass");
}

TEST_F (SlotUpdates, SelectionNotifiesEvenWhenUnchanged)
{
    listen();

    viewModel.setSelectedSlot (4);
    viewModel.setSelectedSlot (-1);
    EXPECT_EQ (viewModel.getSelectedSlot(), 0);

    EXPECT_CALL (observer, selectedSlotChanged (2)).Times (2);
    viewModel.setSelectedSlot (2);
    viewModel.setSelectedSlot (2);
    EXPECT_EQ (viewModel.getSelectedSlot(), 2);
}

TEST_F (SlotUpdates, ValueSettersStoreAndNotifyOneRow)
{
    listen();

    EXPECT_CALL (observer, slotNameChanged (1, juce::String()));
    viewModel.setSlotName ("", SlotIndex (1));
    EXPECT_CALL (observer, slotNameChanged (0, juce::String ("Very long name that the service cut")));
    viewModel.setSlotName ("Very long name that the service cut", SlotIndex (0));
    EXPECT_CALL (observer, slotLengthChanged (2, 1.5));
    viewModel.setSlotLength (1.5, SlotIndex (2));
    EXPECT_CALL (observer, slotLoopModeChanged (3, true));
    viewModel.setSlotLoopMode (true, SlotIndex (3));

    viewModel.setSlotName ("ignored", SlotIndex (4));
    viewModel.setSlotLength (9.0, SlotIndex (-1));
    viewModel.setSlotLoopMode (true, SlotIndex (-1));

    EXPECT_EQ (viewModel.getRow (0).name, "Very long name that the service cut");
    EXPECT_DOUBLE_EQ (viewModel.getRow (2).lengthSeconds, 1.5);
    EXPECT_TRUE (viewModel.getRow (3).loop);
}

TEST_F (SlotUpdates, ObserversAreToldOnceAndMayLeave)
{
    listen();
    StrictMock<MockSlotObserver> second;
    EXPECT_CALL (second, slotListChanged (SelectsSlot (0)));
    viewModel.addListener (&second);
    viewModel.addListener (&second);
    viewModel.addListener (nullptr);

    // An observer that leaves during a notification is simply skipped from then on.
    EXPECT_CALL (observer, selectedSlotChanged (1))
        .WillOnce ([&] (int) { viewModel.removeListener (&second); });
    EXPECT_CALL (second, selectedSlotChanged (1)).Times (testing::AtMost (1));
    viewModel.setSelectedSlot (1);

    EXPECT_CALL (observer, selectedSlotChanged (0));
    viewModel.setSelectedSlot (0);
}
} // namespace
