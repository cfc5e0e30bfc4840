#include "vantor/service/VantorService.h"

#include "vantor/bank/BankViewModel.h"
#include "vantor/browse/BrowseViewModel.h"
#include "vantor/service/IndexRules.h"
#include "vantor/service/MessageCode.h"
#include "vantor/slot/SlotPadViewModel.h"
#include "vantor/slot/SlotViewModel.h"
#include "vantor/slot_detail/SlotDetailViewModel.h"

// The service's links to the view models and the message side, the helpers its operations share,
// and the BANK and bank-collection operations; the SLOT operations are in VantorServiceSlots.cpp,
// the whole-set ones in VantorServiceWholeSet.cpp. All on the message thread.

namespace vantor::service
{
using dataset::WyxBank;
using dataset::WyxSlot;

using namespace indexrules;

//==============================================================================
VantorService::ScopedErrorMessage::~ScopedErrorMessage()
{
    if (code != 0)
        target.sendErrorMessage (code, ISendErrorMessage::error);
}

bool VantorService::ScopedErrorMessage::fail (int errorCode)
{
    code = errorCode;
    return false;
}

//==============================================================================
VantorService::VantorService()
    : VantorService (dataset::createDataSet())
{
}

VantorService::VantorService (std::unique_ptr<dataset::WyxDataSet> ownedDataSet)
    : dataSet (std::move (ownedDataSet))
{
    jassert (dataSet != nullptr);

    if (dataSet != nullptr)
    {
        model = dataSet->getModel();
        bankCollection = dataSet->getBankCollection();
        clipboard = dataSet->getClipboard();
    }
}

VantorService::~VantorService() = default;

void VantorService::setMessagePoster (MessagePoster poster)
{
    messagePoster = std::move (poster);
}

void VantorService::setMessageResolver (MessageResolver* resolver)
{
    messageResolver = resolver;
}

void VantorService::setBrowseViewModel (browse::BrowseViewModel* viewModel)
{
    JUCE_ASSERT_MESSAGE_THREAD
    browseViewModel = viewModel;

    if (browseViewModel != nullptr && bankCollection != nullptr)
        browseViewModel->setBankCollection (bankCollection, false);
}

void VantorService::setBankViewModel (bank::BankViewModel* viewModel)
{
    JUCE_ASSERT_MESSAGE_THREAD
    bankViewModel = viewModel;

    if (bankViewModel != nullptr && model != nullptr)
    {
        pushBankList (false);
        bankViewModel->setCurrentBank (0, false);
    }
}

void VantorService::setSlotViewModel (slot::SlotViewModel* viewModel)
{
    JUCE_ASSERT_MESSAGE_THREAD
    slotViewModel = viewModel;

    if (slotViewModel != nullptr)
        if (auto* firstBank = getModelBank (0))
            slotViewModel->updateFromSlotList (firstBank->getSlotList(), false);
}

void VantorService::setSlotPadViewModel (slot::SlotPadViewModel* viewModel)
{
    JUCE_ASSERT_MESSAGE_THREAD
    slotPadViewModel = viewModel;

    if (slotPadViewModel != nullptr)
        if (auto* firstBank = getModelBank (0))
            slotPadViewModel->updateFromSlotList (firstBank->getSlotList(), false);
}

void VantorService::setSlotDetailViewModel (slot_detail::SlotDetailViewModel* viewModel)
{
    slotDetailViewModel = viewModel;
}

void VantorService::setExportDriveDialog (ExportDriveDialog dialog)
{
    exportDriveDialog = std::move (dialog);
}

void VantorService::addClipboardObserver (ClipboardObserver* observer)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (observer == nullptr)
        return;

    clipboardObservers.add (observer);
    const auto info = clipboardInfo;
    observer->clipboardChanged (info);
}

void VantorService::removeClipboardObserver (ClipboardObserver* observer)
{
    clipboardObservers.remove (observer);
}

void VantorService::sendErrorMessage (int code, int kind)
{
    if (messagePoster != nullptr && messageResolver != nullptr)
        messagePoster (messageResolver->getMessage (code), kind);
}

//==============================================================================
// Shared helpers

bool VantorService::editingViewModelsAttached() const noexcept
{
    return model != nullptr && bankViewModel != nullptr && slotViewModel != nullptr &&
           slotPadViewModel != nullptr && slotDetailViewModel != nullptr;
}

int VantorService::getSelectedSlot() const noexcept
{
    return slotViewModel != nullptr ? slotViewModel->getSelectedSlot() : -1;
}

int VantorService::getCurrentBankIndex() const noexcept
{
    return bankViewModel != nullptr ? bankViewModel->getCurrentBank() : -1;
}

WyxBank* VantorService::getModelBank (int bankIndex) const
{
    if (model == nullptr)
        return nullptr;

    const auto& banks = model->getBankList();
    return isBelow (bankIndex, juce::jmin (banks.size(), banksInModel)) ? banks[bankIndex] : nullptr;
}

WyxBank* VantorService::getCurrentBank() const
{
    return bankViewModel != nullptr ? getModelBank (bankViewModel->getCurrentBank()) : nullptr;
}

WyxSlot* VantorService::getCurrentBankSlot (int slotIndex) const
{
    auto* bank = getCurrentBank();

    if (bank == nullptr)
        return nullptr;

    const auto& slots = bank->getSlotList();
    return isBelow (slotIndex, juce::jmin (slots.size(), slotsPerBank)) ? slots[slotIndex] : nullptr;
}

WyxSlot* VantorService::getEditableSlot (int slotIndex) const
{
    return editingViewModelsAttached() ? getCurrentBankSlot (slotIndex) : nullptr;
}

double VantorService::getBankLength (const dataset::WyxSlotList& slots)
{
    return slots.getTimeLength();
}

double VantorService::getCurrentBankLength() const
{
    auto* bank = getCurrentBank();
    return bank != nullptr ? getBankLength (bank->getSlotList()) : 0.0;
}

juce::String VantorService::cutName (const juce::String& name)
{
    if (name.length() <= maxNameLength)
        return name;

    sendErrorMessage (MessageCode::textTruncated, ISendErrorMessage::notice);
    return name.substring (0, maxNameLength);
}

void VantorService::pushBankList (bool notify)
{
    bankViewModel->updateFromBankList (model->getBankList(), notify);

    if (isBelow (model->getFavoriteBank(), banksInModel))
        bankViewModel->setFavoriteBank (model->getFavoriteBank(), notify);
}

void VantorService::pushCurrentBankTotal()
{
    bankViewModel->setBankTotalTime (getCurrentBankLength(), bank::BankIndex (getCurrentBankIndex()));
}

void VantorService::reloadSlotViews (WyxBank& bank, bool audioFileChanged)
{
    // The SLOT views get another BANK or new content: a BPM and range saved for what they showed
    // must not come back.
    clearSavedBpmState();

    const auto& slots = bank.getSlotList();
    slotViewModel->updateFromSlotList (slots, true);
    slotPadViewModel->updateFromSlotList (slots, true);

    const auto selection = getSelectedSlot();

    if (isBelow (selection, slots.size()) && slots[selection] != nullptr)
        slotDetailViewModel->updateFromSlot (selection, slots[selection], audioFileChanged, true);
}

bool VantorService::slotFilesPresent (const WyxBank& bank)
{
    for (auto* slot : bank.getSlotList().slots)
        if (slot != nullptr && slot->getFile() != juce::File() && !slot->getFile().existsAsFile())
            return false;

    return true;
}

bool VantorService::storeClip (juce::ReferenceCountedObject* clip, int kind, const juce::String& name)
{
    // The new clip is complete before the old one goes, so a failed copy leaves the clipboard
    // and what its observers show as they were.
    if (clip == nullptr)
        return false;

    clipboard->content = clip;
    clipboardInfo = {kind, name};
    const auto info = clipboardInfo;
    clipboardObservers.call ([&info] (ClipboardObserver& observer) { observer.clipboardChanged (info); });
    return true;
}

//==============================================================================
// BANKs and the bank collection

bool VantorService::saveBankToCollection (const int& bankIndex, const int& collectionIndex,
                                          const juce::String& name)
{
    JUCE_ASSERT_MESSAGE_THREAD
    ScopedErrorMessage message (*this);
    auto* bank = getModelBank (bankIndex);

    if (bank == nullptr || bankCollection == nullptr || browseViewModel == nullptr)
        return false;

    if (exceedsBankBudget (getBankLength (bank->getSlotList())))
        return message.fail (MessageCode::bankTooLong);

    if (isBelow (collectionIndex, bankCollection->size()))
    {
        auto stored = bankCollection->getBank (collectionIndex);

        if (stored == nullptr)
            return false;

        // copyFrom makes every copy before it changes the stored BANK: a failure keeps it whole,
        // and a full collection can still have an entry replaced.
        if (!stored->copyFrom (bank))
            return message.fail (MessageCode::fileMissing);

        browseViewModel->updateBankCollectionItem (stored.get(), collectionIndex);
        browseViewModel->selectBankCollectionItem (collectionIndex);
        return true;
    }

    if (bankCollection->size() >= dataset::WyxBankCollection::maxBanks)
        return message.fail (MessageCode::collectionFull);

    if (!slotFilesPresent (*bank))
        return message.fail (MessageCode::fileMissing);

    auto stored = bankCollection->add (bank);

    if (stored == nullptr)
        return false;

    if (name.isNotEmpty() && name != bank->getName())
        stored->setName (name);

    const auto row = bankCollection->indexOf (stored.get());
    browseViewModel->updateBankCollectionItem (stored.get(), row);
    browseViewModel->selectBankCollectionItem (row);
    return true;
}

bool VantorService::moveCollectionBank (const int& from, const int& to)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (bankCollection == nullptr || browseViewModel == nullptr)
        return false;

    const auto size = bankCollection->size();

    if (!isBelow (from, size) || !isBelow (to, size + 1) || to == from || to == from + 1)
        return false;

    const auto newIndex = to <= from ? to : to - 1;
    bankCollection->move (from, newIndex);

    for (int row = juce::jmin (from, to); row < juce::jmax (from + 1, to); ++row)
        if (auto stored = bankCollection->getBank (row))
            browseViewModel->updateBankCollectionItem (stored.get(), row);

    browseViewModel->selectBankCollectionItem (newIndex);
    return true;
}

bool VantorService::deleteCollectionBank (const int& index)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (bankCollection == nullptr || browseViewModel == nullptr || !isBelow (index, bankCollection->size()))
        return false;

    bankCollection->remove (index);
    browseViewModel->updateBankCollectionItem (nullptr, index);
    return true;
}

bool VantorService::renameCollectionBank (const int& index, const juce::String& name)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (bankCollection == nullptr || browseViewModel == nullptr)
        return false;

    auto stored = bankCollection->getBank (index);

    if (stored == nullptr)
        return false;

    const auto cut = cutName (name);
    stored->setName (cut);
    browseViewModel->renameBankCollectionItem (cut, index);
    return true;
}

bool VantorService::assignCollectionBank (const int& collectionIndex, const int& bankIndex,
                                          const juce::String& name)
{
    JUCE_ASSERT_MESSAGE_THREAD
    ScopedErrorMessage message (*this);

    if (!editingViewModelsAttached() || bankCollection == nullptr)
        return false;

    auto* bank = getModelBank (bankIndex);
    auto stored = bankCollection->getBank (collectionIndex);

    if (bank == nullptr || stored == nullptr)
        return false;

    if (!slotFilesPresent (*stored))
        return message.fail (MessageCode::fileMissing);

    if (!bank->copyFrom (stored.get()))
        return false;

    if (name.isNotEmpty() && name != stored->getName())
        bank->setName (name);

    bankViewModel->updateBank (bank, bankIndex);
    bankViewModel->setCurrentBank (bankIndex, true);
    reloadSlotViews (*bank, true);
    return true;
}

bool VantorService::setFavoriteBank (const int& bankIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (model == nullptr || bankViewModel == nullptr || !isBelow (bankIndex, banksInModel))
        return false;

    model->setFavoriteBank (bankIndex);
    bankViewModel->setFavoriteBank (bankIndex, true);
    return true;
}

bool VantorService::selectBank (const int& bankIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (!editingViewModelsAttached())
        return false;

    auto* bank = getModelBank (bankIndex);

    if (bank == nullptr)
        return false;

    bankViewModel->setCurrentBank (bankIndex, true);
    reloadSlotViews (*bank, false);
    return true;
}

bool VantorService::swapBanks (const int& a, const int& b)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (model == nullptr || bankViewModel == nullptr || !isBelow (a, banksInModel) ||
        !isBelow (b, banksInModel))
        return false;

    auto* currentBefore = getCurrentBank();
    auto& banks = model->getBankList();

    if (isBelow (a, banks.size()) && isBelow (b, banks.size()))
    {
        banks.banks.swap (a, b);
        banks.sendChangeMessage();
    }

    if (auto* bankA = getModelBank (a))
        bankViewModel->updateBank (bankA, a);

    if (auto* bankB = getModelBank (b))
        bankViewModel->updateBank (bankB, b);

    bankViewModel->setCurrentBank (b, true);

    // The BANK that becomes current is usually the one that was (it moved with the drag); when it
    // is another, the SLOT views must show its SLOTs and the saved BPM state no longer applies.
    auto* currentAfter = getCurrentBank();

    if (currentAfter != currentBefore && currentAfter != nullptr && editingViewModelsAttached())
        reloadSlotViews (*currentAfter, false);

    return true;
}

bool VantorService::clearBank (const int& bankIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (!editingViewModelsAttached())
        return false;

    auto* bank = getModelBank (bankIndex);

    if (bank == nullptr)
        return false;

    bank->clear();
    bankViewModel->updateBank (bank, bankIndex);

    // The SLOT views show the current BANK only; another BANK's SLOTs must not replace them.
    if (bankIndex == getCurrentBankIndex())
        reloadSlotViews (*bank, false);

    return true;
}

bool VantorService::copyBank (const int& bankIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD
    ScopedErrorMessage message (*this);
    auto* bank = getModelBank (bankIndex);

    if (bank == nullptr || clipboard == nullptr)
        return false;

    if (!storeClip (bank->cloneToTemp().get(), ClipboardInfo::bank, bank->getName()))
        return message.fail (MessageCode::fileMissing);

    return true;
}

bool VantorService::pasteBank (const int& bankIndex, const juce::String& name)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (!editingViewModelsAttached() || clipboard == nullptr)
        return false;

    auto* clip = dynamic_cast<WyxBank*> (clipboard->content.get());
    auto* bank = getModelBank (bankIndex);

    if (clip == nullptr || bank == nullptr || !bank->copyFrom (clip))
        return false;

    if (name.isNotEmpty() && name != bank->getName())
        bank->setName (name);

    bankViewModel->updateBank (bank, bankIndex);

    if (bankIndex == getCurrentBankIndex())
        reloadSlotViews (*bank, false);

    return true;
}

bool VantorService::renameBank (const int& bankIndex, const juce::String& name)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (bankViewModel == nullptr || slotViewModel == nullptr)
        return false;

    auto* bank = getModelBank (bankIndex);

    if (bank == nullptr)
        return false;

    const auto cut = cutName (name);
    bank->setName (cut);
    bankViewModel->setBankName (cut, bank::BankIndex (bankIndex));
    return true;
}

//==============================================================================
// After a restore or an import (the whole-set operations are in VantorServiceWholeSet.cpp)

void VantorService::refreshAll (bool includeCollection)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (!editingViewModelsAttached())
        return;

    if (includeCollection)
    {
        if (browseViewModel == nullptr)
            return;

        browseViewModel->setBankCollection (bankCollection, true);
    }

    pushBankList (true);

    // Every SLOT may hold new content now.
    clearSavedBpmState();

    auto* bank = getCurrentBank();

    if (bank == nullptr)
        return;

    slotViewModel->updateFromSlotList (bank->getSlotList(), true);
    slotPadViewModel->updateFromSlotList (bank->getSlotList(), true);

    const auto selection = getSelectedSlot();

    if (auto* slot = getCurrentBankSlot (selection))
        slotDetailViewModel->reloadFromSlot (selection, slot);
}
} // namespace vantor::service
