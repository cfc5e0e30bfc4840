#include "vantor/browse/BrowseViewModel.h"

#include "vantor/RunCommand.h"
#include "vantor/ViewModelTools.h"
#include "vantor/browse/AddBankCmd.h"
#include "vantor/browse/ChangeBankNameCmd.h"
#include "vantor/browse/DeleteBankCmd.h"
#include "vantor/browse/InsertBankCmd.h"
#include "vantor/dataset/WyxBankCollection.h"

namespace vantor::browse
{
BrowseViewModel::BrowseViewModel (service::IVantorDataMediator* serviceToUse)
    : service (serviceToUse)
{
}

BrowseViewModel::~BrowseViewModel() = default;

void BrowseViewModel::addObserver (BrowseObserver* observer)
{
    addObserverOnce (listeners, observer, [this] (BrowseObserver& o) { o.bankCollectionChanged (items); });
}

void BrowseViewModel::removeObserver (BrowseObserver* observer)
{
    listeners.remove (observer);
}

BankCollectionItem BrowseViewModel::makeItem (const dataset::WyxBank* bank)
{
    BankCollectionItem item;

    if (bank == nullptr)
        return item;

    item.name = bank->getName();
    item.seconds = bank->getSlotList().getTimeLength();
    return item;
}

void BrowseViewModel::setBankCollection (dataset::WyxBankCollection* collection, bool notify)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (collection == nullptr || collection->size() > maxItems)
        return;

    items.clear();

    // A missing BANK keeps its (empty) row: the rows stay aligned with the collection's indexes,
    // which is what every later update and command names.
    for (const auto* bank : *collection)
        items.push_back (makeItem (bank));

    if (notify)
        listeners.call ([this] (BrowseObserver& o) { o.bankCollectionChanged (items); });
}

void BrowseViewModel::updateBankCollectionItem (dataset::WyxBank* bank, const int& index)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (!isRowIndex (index, maxItems))
        return;

    const auto count = items.size();
    const auto row = (size_t)index;

    if (bank != nullptr)
    {
        if (row == count)
            items.push_back (makeItem (bank));
        else if (row < count)
            items[row] = makeItem (bank);
        else
            return;
    }
    else
    {
        if (row >= count)
            return;

        items.erase (items.begin() + (std::ptrdiff_t)row);
    }

    if (items.size() == count)
    {
        const auto item = items[row];
        listeners.call ([&item, row] (BrowseObserver& o)
                        { o.bankCollectionItemChanged ((int)row, item.name, item.seconds); });
    }
    else
    {
        listeners.call ([this] (BrowseObserver& o) { o.bankCollectionChanged (items); });
    }
}

void BrowseViewModel::selectBankCollectionItem (const int& index)
{
    const int row = index;
    listeners.call ([row] (BrowseObserver& o) { o.bankCollectionItemSelected (row); });
}

void BrowseViewModel::renameBankCollectionItem (const juce::String& name, const int& index)
{
    if (!isRowIndex (index, (int)items.size()))
        return;

    const juce::String stored = items[(size_t)index].name = name;
    const int row = index;
    listeners.call ([&stored, row] (BrowseObserver& o) { o.bankCollectionItemRenamed (row, stored); });
}

void BrowseViewModel::saveBankAs (const int& bankIndex, const juce::String& name)
{
    runCommand<AddBankCmd> (service, bankIndex, name);
}

void BrowseViewModel::overwriteBank (const int& bankIndex, const int& collectionIndex)
{
    runCommand<AddBankCmd> (service, bankIndex, collectionIndex);
}

void BrowseViewModel::saveBank (const int& bankIndex)
{
    runCommand<AddBankCmd> (service, bankIndex);
}

void BrowseViewModel::moveBank (const int& from, const int& to)
{
    runCommand<InsertBankCmd> (service, from, to);
}

void BrowseViewModel::deleteBank (const int& index)
{
    runCommand<DeleteBankCmd> (service, index);
}

void BrowseViewModel::renameBank (const int& index, const juce::String& name)
{
    runCommand<ChangeBankNameCmd> (service, index, name);
}
} // namespace vantor::browse
