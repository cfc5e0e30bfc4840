#include "vantor/service/VantorService.h"

#include "vantor/bank/BankViewModel.h"
#include "vantor/browse/BrowseViewModel.h"
#include "vantor/service/IndexRules.h"
#include "vantor/service/MessageCode.h"

// The service's wiring, its clipboard, and the BANK and bank-collection operations; the SLOT
// operations are in VantorServiceSlots.cpp, the whole-set ones in VantorServiceWholeSet.cpp. All
// on the message thread.

namespace vantor::service
{
using dataset::WyxBank;
using dataset::WyxSlot;

using namespace indexrules;

//==============================================================================
VantorService::VantorService()
    : VantorService (dataset::createDataSet())
{
}

VantorService::VantorService (std::unique_ptr<dataset::WyxDataSet> ownedDataSet)
    : dataSet (std::move (ownedDataSet))
    , model (dataSet != nullptr ? dataSet->getModel() : nullptr)
    , bankCollection (dataSet != nullptr ? dataSet->getBankCollection() : nullptr)
    , clipboard (dataSet != nullptr ? dataSet->getClipboard() : nullptr)
    , links (model, bankCollection)
    , slotEditing (links, *this, dataSet.get())
{
    jassert (dataSet != nullptr);
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
    links.setBrowseViewModel (viewModel);
}

void VantorService::setBankViewModel (bank::BankViewModel* viewModel)
{
    links.setBankViewModel (viewModel);
}

void VantorService::setSlotViewModel (slot::SlotViewModel* viewModel)
{
    links.setSlotViewModel (viewModel);
}

void VantorService::setSlotPadViewModel (slot::SlotPadViewModel* viewModel)
{
    links.setSlotPadViewModel (viewModel);
}

void VantorService::setSlotDetailViewModel (slot_detail::SlotDetailViewModel* viewModel)
{
    links.setSlotDetailViewModel (viewModel);
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

WyxSlot* VantorService::getCurrentBankSlot (int slotIndex) const
{
    return links.getCurrentBankSlot (slotIndex);
}

double VantorService::getBankLength (const dataset::WyxSlotList& slots)
{
    return slots.getTimeLength();
}

double VantorService::getCurrentBankLength() const
{
    return links.getCurrentBankLength();
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
    auto* bank = links.getModelBank (bankIndex);

    if (bank == nullptr || bankCollection == nullptr || links.browse() == nullptr)
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

        links.pushCollectionRow (*stored, collectionIndex);
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

    links.pushCollectionRow (*stored, bankCollection->indexOf (stored.get()));
    return true;
}

bool VantorService::moveCollectionBank (const int& from, const int& to)
{
    JUCE_ASSERT_MESSAGE_THREAD
    auto* browse = links.browse();

    if (bankCollection == nullptr || browse == nullptr)
        return false;

    const auto size = bankCollection->size();

    if (!isBelow (from, size) || !isBelow (to, size + 1) || to == from || to == from + 1)
        return false;

    const auto newIndex = to <= from ? to : to - 1;
    bankCollection->move (from, newIndex);

    for (int row = juce::jmin (from, to); row < juce::jmax (from + 1, to); ++row)
        if (auto stored = bankCollection->getBank (row))
            browse->updateBankCollectionItem (stored.get(), row);

    browse->selectBankCollectionItem (newIndex);
    return true;
}

bool VantorService::deleteCollectionBank (const int& index)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (bankCollection == nullptr || links.browse() == nullptr || !isBelow (index, bankCollection->size()))
        return false;

    bankCollection->remove (index);
    links.browse()->updateBankCollectionItem (nullptr, index);
    return true;
}

bool VantorService::renameCollectionBank (const int& index, const juce::String& name)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (bankCollection == nullptr || links.browse() == nullptr)
        return false;

    auto stored = bankCollection->getBank (index);

    if (stored == nullptr)
        return false;

    const auto cut = namelimit::cut (name, *this);
    stored->setName (cut);
    links.browse()->renameBankCollectionItem (cut, index);
    return true;
}

bool VantorService::assignCollectionBank (const int& collectionIndex, const int& bankIndex,
                                          const juce::String& name)
{
    JUCE_ASSERT_MESSAGE_THREAD
    ScopedErrorMessage message (*this);

    if (bankCollection == nullptr)
        return false;

    auto* bank = links.getEditableBank (bankIndex);
    auto stored = bankCollection->getBank (collectionIndex);

    if (bank == nullptr || stored == nullptr)
        return false;

    if (!slotFilesPresent (*stored))
        return message.fail (MessageCode::fileMissing);

    if (!bank->copyFrom (stored.get()))
        return false;

    if (name.isNotEmpty() && name != stored->getName())
        bank->setName (name);

    links.bank()->updateBank (bank, bankIndex);
    links.pushCurrentBank (*bank, bankIndex, true);
    return true;
}

bool VantorService::setFavoriteBank (const int& bankIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (model == nullptr || links.bank() == nullptr || !isBelow (bankIndex, banksInModel))
        return false;

    model->setFavoriteBank (bankIndex);
    links.bank()->setFavoriteBank (bankIndex, true);
    return true;
}

bool VantorService::selectBank (const int& bankIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD
    auto* bank = links.getEditableBank (bankIndex);

    if (bank == nullptr)
        return false;

    links.pushCurrentBank (*bank, bankIndex, false);
    return true;
}

bool VantorService::swapBanks (const int& a, const int& b)
{
    JUCE_ASSERT_MESSAGE_THREAD
    auto* bankView = links.bank();

    if (model == nullptr || bankView == nullptr || !isBelow (a, banksInModel) || !isBelow (b, banksInModel))
        return false;

    auto* currentBefore = links.getCurrentBank();
    auto& banks = model->getBankList();

    if (isBelow (a, banks.size()) && isBelow (b, banks.size()))
    {
        banks.banks.swap (a, b);
        banks.sendChangeMessage();
    }

    if (auto* bankA = links.getModelBank (a))
        bankView->updateBank (bankA, a);

    if (auto* bankB = links.getModelBank (b))
        bankView->updateBank (bankB, b);

    bankView->setCurrentBank (b, true);

    // The BANK that becomes current is usually the one that was (it moved with the drag); when it
    // is another, the SLOT views must show its SLOTs.
    auto* currentAfter = links.getCurrentBank();

    if (currentAfter != currentBefore && currentAfter != nullptr && links.editingAttached())
        links.reloadSlotViews (*currentAfter, false);

    return true;
}

bool VantorService::clearBank (const int& bankIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD
    auto* bank = links.getEditableBank (bankIndex);

    if (bank == nullptr)
        return false;

    bank->clear();
    links.pushBankChanged (*bank, bankIndex);
    return true;
}

bool VantorService::copyBank (const int& bankIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD
    ScopedErrorMessage message (*this);
    auto* bank = links.getModelBank (bankIndex);

    if (bank == nullptr || clipboard == nullptr)
        return false;

    if (!storeClip (bank->cloneToTemp().get(), ClipboardInfo::bank, bank->getName()))
        return message.fail (MessageCode::fileMissing);

    return true;
}

bool VantorService::pasteBank (const int& bankIndex, const juce::String& name)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (clipboard == nullptr)
        return false;

    auto* clip = dynamic_cast<WyxBank*> (clipboard->content.get());
    auto* bank = links.getEditableBank (bankIndex);

    if (clip == nullptr || bank == nullptr || !bank->copyFrom (clip))
        return false;

    if (name.isNotEmpty() && name != bank->getName())
        bank->setName (name);

    links.pushBankChanged (*bank, bankIndex);
    return true;
}

bool VantorService::renameBank (const int& bankIndex, const juce::String& name)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (links.bank() == nullptr || links.slots() == nullptr)
        return false;

    auto* bank = links.getModelBank (bankIndex);

    if (bank == nullptr)
        return false;

    const auto cut = namelimit::cut (name, *this);
    bank->setName (cut);
    links.bank()->setBankName (cut, bank::BankIndex (bankIndex));
    return true;
}

//==============================================================================
// After a restore or an import (the whole-set operations are in VantorServiceWholeSet.cpp)

void VantorService::refreshAll (bool includeCollection)
{
    links.refresh (includeCollection);
}
} // namespace vantor::service
