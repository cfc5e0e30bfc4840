#include "vantor/bank/BankViewModel.h"

#include "vantor/RunCommand.h"
#include "vantor/ViewModelTools.h"
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

namespace vantor::bank
{
namespace
{
bool isRow (int index)
{
    return isRowIndex (index, BankViewModel::rowCount);
}
} // namespace

BankViewModel::BankViewModel (service::IVantorDataMediator* serviceToUse)
    : service (serviceToUse)
{
}

BankViewModel::~BankViewModel() = default;

void BankViewModel::addListener (BankObserver* observer)
{
    addObserverOnce (listeners, observer, [this] (BankObserver& o) { o.bankListChanged (makeSnapshot()); });
}

void BankViewModel::removeListener (BankObserver* observer)
{
    listeners.remove (observer);
}

BankRowInfo BankViewModel::makeRow (const dataset::WyxBank& bank)
{
    BankRowInfo row;
    row.name = bank.getName();
    row.totalSeconds = bank.getSlotList().getTimeLength();
    return row;
}

std::unique_ptr<BankListState> BankViewModel::makeSnapshot() const
{
    auto snapshot = std::make_unique<BankListState>();
    snapshot->favoriteBank = favoriteBank;
    snapshot->currentBank = currentBank;
    snapshot->rows = rows;
    return snapshot;
}

void BankViewModel::updateFromBankList (const dataset::WyxBankList& list, bool notify)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (refillRows (rows, list, makeRow) && notify)
    {
        const auto snapshot = makeSnapshot();
        listeners.call ([&snapshot] (BankObserver& o) { o.bankListChanged (snapshot); });
    }
}

void BankViewModel::updateBank (dataset::WyxBank* bank, const int& bankIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (bank == nullptr || !isRow (bankIndex))
        return;

    // A copy: an observer may trigger further updates while the others still wait for this one.
    const auto row = rows[(size_t)bankIndex] = makeRow (*bank);
    const int index = bankIndex;
    listeners.call ([&row, index] (BankObserver& o) { o.bankChanged (index, row.name, row.totalSeconds); });
}

void BankViewModel::setCurrentBank (const int& bankIndex, bool notify)
{
    if (!isRow (bankIndex))
        return;

    const int index = currentBank = bankIndex;

    if (notify)
        listeners.call ([index] (BankObserver& o) { o.currentBankChanged (index); });
}

void BankViewModel::setFavoriteBank (const int& bankIndex, bool notify)
{
    if (!isRow (bankIndex))
        return;

    const int index = favoriteBank = bankIndex;

    if (notify)
        listeners.call ([index] (BankObserver& o) { o.favoriteBankChanged (index); });
}

void BankViewModel::setBankName (const juce::String& name, BankIndex bankIndex)
{
    if (!isRow (bankIndex.value))
        return;

    const juce::String stored = rows[(size_t)bankIndex.value].name = name;
    listeners.call ([&stored, bankIndex] (BankObserver& o) { o.bankNameChanged (bankIndex.value, stored); });
}

void BankViewModel::setBankTotalTime (const double& totalSeconds, BankIndex bankIndex)
{
    if (!isRow (bankIndex.value))
        return;

    const double value = rows[(size_t)bankIndex.value].totalSeconds = totalSeconds;
    listeners.call ([value, bankIndex] (BankObserver& o)
                    { o.bankTotalTimeChanged (bankIndex.value, value); });
}

void BankViewModel::assignBank (const int& collectionIndex, const int& bankIndex, const juce::String& name)
{
    runCommand<AssignBankCmd> (service, collectionIndex, bankIndex, name);
}

void BankViewModel::assignBank (const int& collectionIndex, const int& bankIndex)
{
    runCommand<AssignBankCmd> (service, collectionIndex, bankIndex, juce::String());
}

void BankViewModel::setFavorite (const int& bankIndex)
{
    runCommand<SetFavoriteCmd> (service, bankIndex);
}

void BankViewModel::selectBank (const int& bankIndex)
{
    runCommand<SelectBankCmd> (service, bankIndex);
}

void BankViewModel::swapBank (const int& fromIndex, const int& toIndex)
{
    runCommand<SwapBankCmd> (service, fromIndex, toIndex);
}

void BankViewModel::deleteBank (const int& bankIndex)
{
    runCommand<DeleteBankCmd> (service, bankIndex);
}

void BankViewModel::copyBank (const int& bankIndex)
{
    runCommand<CopyBankCmd> (service, bankIndex);
}

void BankViewModel::pasteBank (const int& bankIndex, const juce::String& name)
{
    runCommand<PasteBankCmd> (service, bankIndex, name);
}

void BankViewModel::pasteBank (const int& bankIndex)
{
    runCommand<PasteBankCmd> (service, bankIndex, juce::String());
}

void BankViewModel::changeBankName (const int& bankIndex, const juce::String& name)
{
    runCommand<ChangeBankNameCmd> (service, bankIndex, name);
}

void BankViewModel::showExportDialog()
{
    runCommand<ShowExportDialogCmd> (service);
}
} // namespace vantor::bank
