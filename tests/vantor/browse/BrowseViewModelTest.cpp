#include "vantor/browse/BrowseViewModel.h"
#include "vantor/browse/AddBankCmd.h"
#include "vantor/browse/ChangeBankNameCmd.h"
#include "vantor/browse/DeleteBankCmd.h"
#include "vantor/browse/InsertBankCmd.h"

#include "support/DispatchCases.h"
#include "support/MockVantorDataMediator.h"
#include "support/StubBanks.h"
#include "support/ViewModelFixture.h"

#include <gmock/gmock.h>

#include <functional>

using glorvak::test::makeStubBank;
using glorvak::test::MockVantorDataMediator;
using glorvak::test::StubBankCollection;
using testing::_;
using testing::ElementsAre;
using testing::Field;
using testing::IsEmpty;
using testing::Return;
using testing::SizeIs;
using testing::StrictMock;
using vantor::browse::BankCollectionItem;
using vantor::browse::BrowseObserver;
using vantor::browse::BrowseViewModel;
using vantor::browse::IBrowseCommandDispatcher;

namespace
{
class MockBrowseObserver : public BrowseObserver
{
public:
    MOCK_METHOD (void, bankCollectionChanged, (const std::vector<BankCollectionItem>&), (override));
    MOCK_METHOD (void, bankCollectionItemChanged, (int, const juce::String&, double), (override));
    MOCK_METHOD (void, bankCollectionItemRenamed, (int, const juce::String&), (override));
    MOCK_METHOD (void, bankCollectionItemSelected, (int), (override));
};

auto named (const char* name)
{
    return Field (&BankCollectionItem::name, juce::String (name));
}

TEST (BrowseViewModel, EachDispatcherCallRunsOneServiceOperation)
{
    const juce::String none;
    glorvak::test::runDispatchCases<BrowseViewModel, IBrowseCommandDispatcher> ({
        {"saveBank appends under the BANK's name", [] (auto& d) { d.saveBank (3); },
         [&] (auto& m) { EXPECT_CALL (m, saveBankToCollection (3, -1, none)).WillOnce (Return (true)); }},
        {"overwriteBank replaces a stored BANK", [] (auto& d) { d.overwriteBank (3, 7); },
         [&] (auto& m) { EXPECT_CALL (m, saveBankToCollection (3, 7, none)).WillOnce (Return (true)); }},
        {"saveBankAs appends under a new name", [] (auto& d) { d.saveBankAs (3, "Live set"); },
         [] (auto& m) {
             EXPECT_CALL (m, saveBankToCollection (3, -1, juce::String ("Live set")))
                 .WillOnce (Return (true));
         }},
        {"moveBank", [] (auto& d) { d.moveBank (4, 0); },
         [] (auto& m) { EXPECT_CALL (m, moveCollectionBank (4, 0)).WillOnce (Return (true)); }},
        {"deleteBank removes the stored BANK", [] (auto& d) { d.deleteBank (2); },
         [] (auto& m) { EXPECT_CALL (m, deleteCollectionBank (2)).WillOnce (Return (true)); }},
        {"renameBank", [] (auto& d) { d.renameBank (1, "Renamed"); },
         [] (auto& m)
         { EXPECT_CALL (m, renameCollectionBank (1, juce::String ("Renamed"))).WillOnce (Return (false)); }},
    });
}

TEST (BrowseCommands, ExecuteReturnsTheServiceResult)
{
    using namespace vantor::browse;

    for (const bool result : {true, false})
    {
        SCOPED_TRACE (result);
        StrictMock<MockVantorDataMediator> service;
        EXPECT_CALL (service, saveBankToCollection (1, -1, juce::String())).WillOnce (Return (result));
        EXPECT_CALL (service, moveCollectionBank (2, 3)).WillOnce (Return (result));
        EXPECT_CALL (service, deleteCollectionBank (4)).WillOnce (Return (result));
        EXPECT_CALL (service, renameCollectionBank (5, juce::String ("n"))).WillOnce (Return (result));

        EXPECT_EQ (AddBankCmd (&service, 1).execute(), result);
        EXPECT_EQ (InsertBankCmd (&service, 2, 3).execute(), result);
        EXPECT_EQ (vantor::browse::DeleteBankCmd (&service, 4).execute(), result);
        EXPECT_EQ (vantor::browse::ChangeBankNameCmd (&service, 5, "n").execute(), result);
    }
}

class BrowseUpdates : public glorvak::test::ViewModelFixture<BrowseViewModel, MockBrowseObserver>
{
    void expectJoiningState (StrictMock<MockBrowseObserver>& o) override
    {
        EXPECT_CALL (o, bankCollectionChanged (_));
    }

    void join (MockBrowseObserver& o) override { viewModel.addObserver (&o); }

protected:
    void load (std::initializer_list<const char*> names)
    {
        StubBankCollection collection;

        for (auto* name : names)
            collection.append (name == nullptr ? nullptr : makeStubBank (name, {1.0}));

        viewModel.setBankCollection (&collection, false);
    }
};

// A stored BANK that failed to load must not move the rows after it: the row the user deletes
// is the collection index the service removes, and the service's removal of an index takes out
// that row.
TEST_F (BrowseUpdates, MissingBankKeepsTheRowsAlignedWithTheCollection)
{
    load ({"A", nullptr, "C", "D"});
    EXPECT_THAT (viewModel.getItems(), ElementsAre (named ("A"), named (""), named ("C"), named ("D")));
    EXPECT_DOUBLE_EQ (viewModel.getItems()[1].seconds, 0.0);

    // The user deletes "C", shown in row 2: the service is asked for collection index 2.
    EXPECT_CALL (service, deleteCollectionBank (2))
        .WillOnce (
            [&] (const int& index)
            {
                viewModel.updateBankCollectionItem (nullptr, index);
                return true;
            });
    IBrowseCommandDispatcher& dispatcher = viewModel;
    dispatcher.deleteBank (2);
    EXPECT_THAT (viewModel.getItems(), ElementsAre (named ("A"), named (""), named ("D")));

    // A later replacement by collection index lands on the right row too.
    listen();
    EXPECT_CALL (observer, bankCollectionItemChanged (2, juce::String ("D2"), 2.0));
    viewModel.updateBankCollectionItem (makeStubBank ("D2", {1.0, 1.0}).get(), 2);
}

TEST_F (BrowseUpdates, CollectionOfMoreThanAHundredIsIgnored)
{
    load ({"Keep"});
    listen();

    StubBankCollection tooMany;

    for (int i = 0; i < 101; ++i)
        tooMany.append (makeStubBank ("X", {}));

    viewModel.setBankCollection (&tooMany, true);
    viewModel.setBankCollection (nullptr, true);
    EXPECT_THAT (viewModel.getItems(), ElementsAre (named ("Keep")));

    tooMany.clear();

    for (int i = 0; i < 100; ++i)
        tooMany.append (makeStubBank ("Y", {}));

    EXPECT_CALL (observer, bankCollectionChanged (SizeIs (100)));
    viewModel.setBankCollection (&tooMany, true);
}

TEST_F (BrowseUpdates, ItemUpdatesAppendReplaceOrRemove)
{
    load ({"Only"});
    listen();
    auto bank = makeStubBank ("Full", {4.0, 4.0, 4.0, 4.0});

    // Appending at the count, nothing past it.
    EXPECT_CALL (observer, bankCollectionChanged (ElementsAre (named ("Only"), named ("Full"))));
    viewModel.updateBankCollectionItem (bank.get(), 1);
    EXPECT_DOUBLE_EQ (viewModel.getItems()[1].seconds, 16.0);
    viewModel.updateBankCollectionItem (bank.get(), 3);
    viewModel.updateBankCollectionItem (bank.get(), 100);
    viewModel.updateBankCollectionItem (bank.get(), -1);
    viewModel.updateBankCollectionItem (nullptr, 2);

    // Replacing keeps the length.
    EXPECT_CALL (observer, bankCollectionItemChanged (0, juce::String ("Full"), 16.0));
    viewModel.updateBankCollectionItem (bank.get(), 0);

    EXPECT_CALL (observer, bankCollectionChanged (SizeIs (1)));
    viewModel.updateBankCollectionItem (nullptr, 0);
    EXPECT_CALL (observer, bankCollectionChanged (IsEmpty()));
    viewModel.updateBankCollectionItem (nullptr, 0);
}

TEST_F (BrowseUpdates, RenameAndSelect)
{
    load ({"A", "B"});
    listen();

    EXPECT_CALL (observer, bankCollectionItemRenamed (1, juce::String ("")));
    viewModel.renameBankCollectionItem ("", 1);
    viewModel.renameBankCollectionItem ("nowhere", 2);
    viewModel.renameBankCollectionItem ("nowhere", -1);
    EXPECT_THAT (viewModel.getItems(), ElementsAre (named ("A"), named ("")));

    // Selection is passed on unchecked; the table knows its rows.
    EXPECT_CALL (observer, bankCollectionItemSelected (5));
    viewModel.selectBankCollectionItem (5);
}

TEST_F (BrowseUpdates, NewObserverStartsWithTheWholeList)
{
    load ({"A", "B", "C"});
    EXPECT_CALL (observer, bankCollectionChanged (SizeIs (3)));
    viewModel.addObserver (&observer);
    viewModel.addObserver (&observer);
    viewModel.addObserver (nullptr);

    viewModel.removeObserver (&observer);
    viewModel.selectBankCollectionItem (0); // nobody listens any more
}
} // namespace
