#include "vantor/bank/BankViewModel.h"
#include "vantor/bank/AssignBankCmd.h"
#include "vantor/bank/ChangeBankNameCmd.h"
#include "vantor/bank/CopyBankCmd.h"
#include "vantor/bank/DeleteBankCmd.h"
#include "vantor/bank/PasteBankCmd.h"
#include "vantor/bank/SelectBankCmd.h"
#include "vantor/bank/SetFavoriteCmd.h"
#include "vantor/bank/ShowExportDialogCmd.h"
#include "vantor/bank/SwapBankCmd.h"
#include "vantor/dataset/WyxBankList.h"

#include "support/DispatchCases.h"
#include "support/MockVantorDataMediator.h"
#include "support/StubBanks.h"
#include "support/ViewModelFixture.h"

#include <gmock/gmock.h>

#include <functional>
#include <type_traits>

using glorvak::test::makeStubBank;
using glorvak::test::MockVantorDataMediator;
using testing::_;
using testing::Return;
using testing::StrictMock;
using vantor::bank::BankIndex;
using vantor::bank::BankListState;
using vantor::bank::BankObserver;
using vantor::bank::BankViewModel;
using vantor::bank::IBankCommandDispatcher;

namespace
{
template <typename, typename, typename, typename = void>
struct CanSetTotal : std::false_type
{
};
template <typename T, typename A, typename B>
struct CanSetTotal<
    T, A, B,
    std::void_t<decltype (std::declval<T&>().setBankTotalTime (std::declval<A>(), std::declval<B>()))>>
    : std::true_type
{
};

static_assert (CanSetTotal<BankViewModel, double, BankIndex>::value);
static_assert (!CanSetTotal<BankViewModel, int, double>::value, "index and value swapped");
static_assert (!CanSetTotal<BankViewModel, double, int>::value, "a bare int is no index");

class MockBankObserver : public BankObserver
{
public:
    MOCK_METHOD (void, bankListChanged, (const std::unique_ptr<BankListState>&), (override));
    MOCK_METHOD (void, bankChanged, (int, const juce::String&, double), (override));
    MOCK_METHOD (void, bankNameChanged, (int, const juce::String&), (override));
    MOCK_METHOD (void, bankTotalTimeChanged, (int, double), (override));
    MOCK_METHOD (void, favoriteBankChanged, (int), (override));
    MOCK_METHOD (void, currentBankChanged, (int), (override));
};

MATCHER_P2 (Snapshot, favorite, current, "")
{
    return arg != nullptr && arg->favoriteBank == favorite && arg->currentBank == current;
}

TEST (BankViewModel, EachDispatcherCallRunsOneServiceOperation)
{
    const juce::String none;
    glorvak::test::runDispatchCases<BankViewModel, IBankCommandDispatcher> ({
        {"assignBank with a name", [] (auto& d) { d.assignBank (7, 2, "Drums"); },
         [] (auto& m)
         { EXPECT_CALL (m, assignCollectionBank (7, 2, juce::String ("Drums"))).WillOnce (Return (true)); }},
        {"assignBank without a name keeps the stored one", [] (auto& d) { d.assignBank (7, 2); },
         [&] (auto& m) { EXPECT_CALL (m, assignCollectionBank (7, 2, none)).WillOnce (Return (true)); }},
        {"assignBank with an empty name is the same", [] (auto& d) { d.assignBank (7, 2, ""); },
         [&] (auto& m) { EXPECT_CALL (m, assignCollectionBank (7, 2, none)).WillOnce (Return (true)); }},
        {"setFavorite", [] (auto& d) { d.setFavorite (14); },
         [] (auto& m) { EXPECT_CALL (m, setFavoriteBank (14)).WillOnce (Return (true)); }},
        {"selectBank", [] (auto& d) { d.selectBank (3); },
         [] (auto& m) { EXPECT_CALL (m, selectBank (3)).WillOnce (Return (true)); }},
        {"swapBank keeps the order", [] (auto& d) { d.swapBank (9, 0); },
         [] (auto& m) { EXPECT_CALL (m, swapBanks (9, 0)).WillOnce (Return (true)); }},
        {"deleteBank clears the working BANK", [] (auto& d) { d.deleteBank (4); },
         [] (auto& m) { EXPECT_CALL (m, clearBank (4)).WillOnce (Return (true)); }},
        {"copyBank", [] (auto& d) { d.copyBank (5); },
         [] (auto& m) { EXPECT_CALL (m, copyBank (5)).WillOnce (Return (true)); }},
        {"pasteBank with a name", [] (auto& d) { d.pasteBank (5, "Copy"); },
         [] (auto& m) { EXPECT_CALL (m, pasteBank (5, juce::String ("Copy"))).WillOnce (Return (false)); }},
        {"pasteBank without a name", [] (auto& d) { d.pasteBank (5); },
         [&] (auto& m) { EXPECT_CALL (m, pasteBank (5, none)).WillOnce (Return (false)); }},
        {"changeBankName", [] (auto& d) { d.changeBankName (0, ""); },
         [&] (auto& m) { EXPECT_CALL (m, renameBank (0, none)).WillOnce (Return (true)); }},
        {"showExportDialog", [] (auto& d) { d.showExportDialog(); },
         [] (auto& m) { EXPECT_CALL (m, showExportDialog()).WillOnce (Return (true)); }},
    });
}

TEST (BankCommands, ExecuteReturnsTheServiceResult)
{
    using namespace vantor::bank;

    for (const bool result : {true, false})
    {
        SCOPED_TRACE (result);
        StrictMock<MockVantorDataMediator> service;
        EXPECT_CALL (service, assignCollectionBank (1, 2, juce::String ("n"))).WillOnce (Return (result));
        EXPECT_CALL (service, setFavoriteBank (3)).WillOnce (Return (result));
        EXPECT_CALL (service, selectBank (4)).WillOnce (Return (result));
        EXPECT_CALL (service, swapBanks (5, 6)).WillOnce (Return (result));
        EXPECT_CALL (service, clearBank (7)).WillOnce (Return (result));
        EXPECT_CALL (service, copyBank (8)).WillOnce (Return (result));
        EXPECT_CALL (service, pasteBank (9, juce::String ("p"))).WillOnce (Return (result));
        EXPECT_CALL (service, renameBank (10, juce::String ("r"))).WillOnce (Return (result));
        EXPECT_CALL (service, showExportDialog()).WillOnce (Return (result));

        EXPECT_EQ (AssignBankCmd (&service, 1, 2, "n").execute(), result);
        EXPECT_EQ (SetFavoriteCmd (&service, 3).execute(), result);
        EXPECT_EQ (SelectBankCmd (&service, 4).execute(), result);
        EXPECT_EQ (SwapBankCmd (&service, 5, 6).execute(), result);
        EXPECT_EQ (DeleteBankCmd (&service, 7).execute(), result);
        EXPECT_EQ (CopyBankCmd (&service, 8).execute(), result);
        EXPECT_EQ (PasteBankCmd (&service, 9, "p").execute(), result);
        EXPECT_EQ (ChangeBankNameCmd (&service, 10, "r").execute(), result);
        EXPECT_EQ (ShowExportDialogCmd (&service).execute(), result);
    }
}

class BankUpdates : public glorvak::test::ViewModelFixture<BankViewModel, MockBankObserver>
{
    void expectJoiningState (StrictMock<MockBankObserver>& o) override
    {
        EXPECT_CALL (o, bankListChanged (_));
    }

    void join (MockBankObserver& o) override { viewModel.addListener (&o); }

protected:
    static void fill (vantor::dataset::WyxBankList& list, const juce::String& prefix)
    {
        for (int i = 0; i < 15; ++i)
            list.banks.add (makeStubBank (prefix + juce::String (i + 1), {0.5 * i}));
    }
};

TEST_F (BankUpdates, BankTotalIsTheSumOfItsSlots)
{
    EXPECT_DOUBLE_EQ (BankViewModel::makeRow (*makeStubBank ("Mix", {1.0, 2.5, 0.0, 4.25})).totalSeconds,
                      7.75);
    EXPECT_DOUBLE_EQ (BankViewModel::makeRow (*makeStubBank ("Empty", {})).totalSeconds, 0.0);

    auto gap = makeStubBank ("Gap", {1.0, 1.0, 1.0, 1.0});
    gap->getSlotList().slots.set (1, nullptr);
    EXPECT_DOUBLE_EQ (BankViewModel::makeRow (*gap).totalSeconds, 3.0);
}

TEST_F (BankUpdates, BankListFillsRowsAndKeepsFavoriteAndCurrent)
{
    vantor::dataset::WyxBankList list;
    fill (list, "B");

    viewModel.setFavoriteBank (4, false);
    viewModel.setCurrentBank (6, false);
    viewModel.updateFromBankList (list, false); // linking: silent

    EXPECT_CALL (observer, bankListChanged (Snapshot (4, 6)));
    viewModel.addListener (&observer);
    EXPECT_EQ (viewModel.getRow (14).name, "B15");
    EXPECT_DOUBLE_EQ (viewModel.getRow (14).totalSeconds, 7.0);

    vantor::dataset::WyxBankList restored;
    fill (restored, "R");
    EXPECT_CALL (observer, bankListChanged (Snapshot (4, 6)));
    viewModel.updateFromBankList (restored, true);
    EXPECT_EQ (viewModel.getRow (0).name, "R1");

    // A short list fills what it has and tells nobody.
    vantor::dataset::WyxBankList shortList;
    shortList.banks.add (makeStubBank ("S1", {}));
    viewModel.updateFromBankList (shortList, true);
    EXPECT_EQ (viewModel.getRow (0).name, "S1");
    EXPECT_EQ (viewModel.getRow (1).name, "R2");
}

TEST_F (BankUpdates, UpdateBankCopiesOneRow)
{
    listen();

    auto bank = makeStubBank ("Perc", {4.0, 4.0});
    EXPECT_CALL (observer, bankChanged (2, juce::String ("Perc"), 8.0));
    viewModel.updateBank (bank.get(), 2);

    viewModel.updateBank (nullptr, 2);
    viewModel.updateBank (bank.get(), 15);
    viewModel.updateBank (bank.get(), -1);

    bank->setName ("renamed behind its back");
    EXPECT_EQ (viewModel.getRow (2).name, "Perc");
}

TEST_F (BankUpdates, CurrentAndFavoriteNotifyOnlyWhenAsked)
{
    listen();

    viewModel.setCurrentBank (15, true);
    viewModel.setCurrentBank (-1, true);
    viewModel.setFavoriteBank (15, true);
    EXPECT_EQ (viewModel.getCurrentBank(), 0);

    EXPECT_CALL (observer, currentBankChanged (3)).Times (2);
    viewModel.setCurrentBank (3, true);
    viewModel.setCurrentBank (3, true);
    viewModel.setCurrentBank (5, false);
    EXPECT_EQ (viewModel.getCurrentBank(), 5);

    EXPECT_CALL (observer, favoriteBankChanged (14));
    viewModel.setFavoriteBank (14, true);
    EXPECT_EQ (viewModel.getFavoriteBank(), 14);
}

TEST_F (BankUpdates, ValueSettersStoreAndNotifyOneRow)
{
    listen();

    EXPECT_CALL (observer, bankNameChanged (4, juce::String()));
    viewModel.setBankName ("", BankIndex (4));
    EXPECT_CALL (observer, bankTotalTimeChanged (0, 16.001));
    viewModel.setBankTotalTime (16.001, BankIndex (0));

    viewModel.setBankName ("x", BankIndex (15));
    viewModel.setBankTotalTime (1.0, BankIndex (-1));

    EXPECT_EQ (viewModel.getRow (4).name, "");
    EXPECT_DOUBLE_EQ (viewModel.getRow (0).totalSeconds, 16.001);
}

// The BANK table answers a new current BANK by selecting it, which runs a command inside the
// notification; the notification must survive that.
TEST_F (BankUpdates, ObserverMayDispatchDuringANotification)
{
    listen();
    IBankCommandDispatcher& dispatcher = viewModel;

    EXPECT_CALL (observer, currentBankChanged (8))
        .WillOnce ([&] (int index) { dispatcher.selectBank (index); });
    EXPECT_CALL (service, selectBank (8))
        .WillOnce (
            [&] (const int& index)
            {
                viewModel.setCurrentBank (index, false);
                return true;
            });
    viewModel.setCurrentBank (8, true);
    EXPECT_EQ (viewModel.getCurrentBank(), 8);
}
} // namespace
