#pragma once

#include "vantor/browse/BrowseObserver.h"
#include "vantor/browse/IBrowseCommandDispatcher.h"

#include <juce_events/juce_events.h>

namespace vantor::dataset
{
class WyxBank;
class WyxBankCollection;
} // namespace vantor::dataset

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::browse
{
/** Value copy of the bank collection (one item per stored BANK, item index = collection index)
    and the bank-collection table's way to change it.

    A missing BANK in the collection still gets its own (empty) item, so the rows never drift
    from the collection's indexes: a row number handed to the service always names the stored
    BANK the user sees in that row.

    The table holds this object only as IBrowseCommandDispatcher (the dispatcher operations are
    private here). Threads: message thread only. */
class BrowseViewModel : public IBrowseCommandDispatcher
{
public:
    static constexpr int maxItems = 100;

    /** The service outlives the view model. */
    explicit BrowseViewModel (service::IVantorDataMediator* service);
    ~BrowseViewModel() override;

    /** Adds the observer (not twice) and at once sends it alone the whole list. */
    void addObserver (BrowseObserver* observer);
    /** Safe during a notification. */
    void removeObserver (BrowseObserver* observer);

    const std::vector<BankCollectionItem>& getItems() const noexcept { return items; }

    // Update operations, called by the service.

    /** Rebuilds the list; a null collection or one of more than 100 BANKs is ignored. */
    void setBankCollection (dataset::WyxBankCollection* collection, bool notify);
    /** index == count appends, index < count replaces, a null BANK removes; anything else and
        every index from 100 on is ignored. */
    void updateBankCollectionItem (dataset::WyxBank* bank, const int& index);
    void selectBankCollectionItem (const int& index);
    void renameBankCollectionItem (const juce::String& name, const int& index);

    /** The item values of a stored BANK; a null BANK gives an empty name and 0 seconds. */
    static BankCollectionItem makeItem (const dataset::WyxBank* bank);

private:
    void saveBankAs (const int& bankIndex, const juce::String& name) override;
    void overwriteBank (const int& bankIndex, const int& collectionIndex) override;
    void saveBank (const int& bankIndex) override;
    void moveBank (const int& from, const int& to) override;
    void deleteBank (const int& index) override;
    void renameBank (const int& index, const juce::String& name) override;

    juce::ListenerList<BrowseObserver> listeners;
    service::IVantorDataMediator* service;
    std::vector<BankCollectionItem> items;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BrowseViewModel)
};
} // namespace vantor::browse
