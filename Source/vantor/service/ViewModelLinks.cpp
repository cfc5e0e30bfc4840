#include "vantor/service/ViewModelLinks.h"

#include "vantor/bank/BankViewModel.h"
#include "vantor/browse/BrowseViewModel.h"
#include "vantor/dataset/FrameTime.h"
#include "vantor/service/IndexRules.h"
#include "vantor/slot/SlotPadViewModel.h"
#include "vantor/slot/SlotViewModel.h"
#include "vantor/slot_detail/SlotDetailViewModel.h"

namespace vantor::service
{
using dataset::FrameTime;
using dataset::WyxBank;
using dataset::WyxSlot;
using namespace indexrules;

ViewModelLinks::ViewModelLinks (dataset::WyxModel* modelToShow, dataset::WyxBankCollection* collectionToShow)
    : model (modelToShow)
    , bankCollection (collectionToShow)
{
}

//==============================================================================
void ViewModelLinks::setBrowseViewModel (browse::BrowseViewModel* viewModel)
{
    JUCE_ASSERT_MESSAGE_THREAD
    browseViewModel = viewModel;

    if (browseViewModel != nullptr && bankCollection != nullptr)
        browseViewModel->setBankCollection (bankCollection, false);
}

void ViewModelLinks::setBankViewModel (bank::BankViewModel* viewModel)
{
    JUCE_ASSERT_MESSAGE_THREAD
    bankViewModel = viewModel;

    if (bankViewModel != nullptr && model != nullptr)
    {
        pushBankList (false);
        bankViewModel->setCurrentBank (0, false);
    }
}

// The SLOT views start on the first BANK, which the BANK view model makes current when attached.
void ViewModelLinks::setSlotViewModel (slot::SlotViewModel* viewModel)
{
    JUCE_ASSERT_MESSAGE_THREAD
    slotViewModel = viewModel;

    if (slotViewModel != nullptr)
        if (auto* firstBank = getModelBank (0))
            slotViewModel->updateFromSlotList (firstBank->getSlotList(), false);
}

void ViewModelLinks::setSlotPadViewModel (slot::SlotPadViewModel* viewModel)
{
    JUCE_ASSERT_MESSAGE_THREAD
    slotPadViewModel = viewModel;

    if (slotPadViewModel != nullptr)
        if (auto* firstBank = getModelBank (0))
            slotPadViewModel->updateFromSlotList (firstBank->getSlotList(), false);
}

// The detail shows nothing until a SLOT is selected.
void ViewModelLinks::setSlotDetailViewModel (slot_detail::SlotDetailViewModel* viewModel)
{
    slotDetailViewModel = viewModel;
}

void ViewModelLinks::setSelectedContentReplacedCallback (std::function<void()> callback)
{
    onSelectedContentReplaced = std::move (callback);
}

void ViewModelLinks::selectedContentReplaced()
{
    if (onSelectedContentReplaced != nullptr)
        onSelectedContentReplaced();
}

//==============================================================================
bool ViewModelLinks::editingAttached() const noexcept
{
    return model != nullptr && bankViewModel != nullptr && slotViewModel != nullptr &&
           slotPadViewModel != nullptr && slotDetailViewModel != nullptr;
}

int ViewModelLinks::getSelectedSlot() const noexcept
{
    return slotViewModel != nullptr ? slotViewModel->getSelectedSlot() : -1;
}

int ViewModelLinks::getCurrentBankIndex() const noexcept
{
    return bankViewModel != nullptr ? bankViewModel->getCurrentBank() : -1;
}

WyxBank* ViewModelLinks::getModelBank (int bankIndex) const
{
    if (model == nullptr)
        return nullptr;

    const auto& banks = model->getBankList();
    return isBelow (bankIndex, juce::jmin (banks.size(), banksInModel)) ? banks[bankIndex] : nullptr;
}

WyxBank* ViewModelLinks::getCurrentBank() const
{
    return bankViewModel != nullptr ? getModelBank (bankViewModel->getCurrentBank()) : nullptr;
}

WyxBank* ViewModelLinks::getEditableBank (int bankIndex) const
{
    return editingAttached() ? getModelBank (bankIndex) : nullptr;
}

WyxSlot* ViewModelLinks::getCurrentBankSlot (int slotIndex) const
{
    auto* bank = getCurrentBank();

    if (bank == nullptr)
        return nullptr;

    const auto& slots = bank->getSlotList();
    return isBelow (slotIndex, juce::jmin (slots.size(), slotsPerBank)) ? slots[slotIndex] : nullptr;
}

WyxSlot* ViewModelLinks::getEditableSlot (int slotIndex) const
{
    return editingAttached() ? getCurrentBankSlot (slotIndex) : nullptr;
}

double ViewModelLinks::getCurrentBankLength() const
{
    auto* bank = getCurrentBank();
    return bank != nullptr ? bank->getSlotList().getTimeLength() : 0.0;
}

//==============================================================================
// BANKs

void ViewModelLinks::pushBankList (bool notify)
{
    bankViewModel->updateFromBankList (model->getBankList(), notify);

    if (isBelow (model->getFavoriteBank(), banksInModel))
        bankViewModel->setFavoriteBank (model->getFavoriteBank(), notify);
}

void ViewModelLinks::pushCurrentBankTotal()
{
    bankViewModel->setBankTotalTime (getCurrentBankLength(), bank::BankIndex (getCurrentBankIndex()));
}

void ViewModelLinks::pushCollectionRow (WyxBank& stored, int row)
{
    browseViewModel->updateBankCollectionItem (&stored, row);
    browseViewModel->selectBankCollectionItem (row);
}

void ViewModelLinks::pushBankChanged (WyxBank& bank, int bankIndex)
{
    bankViewModel->updateBank (&bank, bankIndex);

    // The SLOT views show the current BANK only; another BANK's SLOTs must not replace them.
    if (bankIndex == getCurrentBankIndex())
        reloadSlotViews (bank, false);
}

void ViewModelLinks::pushCurrentBank (WyxBank& bank, int bankIndex, bool audioFileChanged)
{
    bankViewModel->setCurrentBank (bankIndex, true);
    reloadSlotViews (bank, audioFileChanged);
}

void ViewModelLinks::reloadSlotViews (WyxBank& bank, bool audioFileChanged)
{
    selectedContentReplaced();

    const auto& slots = bank.getSlotList();
    slotViewModel->updateFromSlotList (slots, true);
    slotPadViewModel->updateFromSlotList (slots, true);

    const auto selection = getSelectedSlot();

    if (isBelow (selection, slots.size()) && slots[selection] != nullptr)
        slotDetailViewModel->updateFromSlot (selection, slots[selection], audioFileChanged, true);
}

//==============================================================================
// SLOTs of the current BANK

void ViewModelLinks::pushSelectedSlot (int slotIndex, WyxSlot& slot, bool audioFileChanged)
{
    selectedContentReplaced();
    slotViewModel->setSelectedSlot (slotIndex);
    slotDetailViewModel->updateFromSlot (slotIndex, &slot, audioFileChanged, true);
}

void ViewModelLinks::pushNewAudio (int slotIndex, WyxSlot& slot)
{
    slotViewModel->updateSlot (&slot, slotIndex);
    slotPadViewModel->updateSlot (&slot, slotIndex);
    pushSelectedSlot (slotIndex, slot, true);
    pushCurrentBankTotal();
}

void ViewModelLinks::pushSlotReplaced (int slotIndex, WyxSlot& slot, bool alwaysReloadDetail)
{
    slotViewModel->updateSlot (&slot, slotIndex);

    const auto selected = slotIndex == getSelectedSlot();

    if (selected)
        selectedContentReplaced();

    if (selected || alwaysReloadDetail)
        slotDetailViewModel->updateFromSlot (slotIndex, &slot, false, true);

    slotPadViewModel->updateSlot (&slot, slotIndex);
    pushCurrentBankTotal();
}

void ViewModelLinks::pushSlotsSwapped (int a, int b, const WyxSlot* selectedBefore)
{
    auto* slotA = getCurrentBankSlot (a);
    auto* slotB = getCurrentBankSlot (b);

    slotViewModel->updateSlot (slotA, a);
    slotViewModel->updateSlot (slotB, b);
    slotPadViewModel->updateSlot (slotA, a);
    slotPadViewModel->updateSlot (slotB, b);
    slotViewModel->setSelectedSlot (b);

    // The selection moved to b: when b holds what was selected (the SLOT dragged there), the
    // selected content is the same.
    if (slotB != selectedBefore)
        selectedContentReplaced();
}

void ViewModelLinks::pushSlotRange (int slotIndex, WyxSlot& slot, bool startMoved, bool endMoved)
{
    const auto rate = slot.getFileInfo().sampleRate;
    const auto range = slot.getRange();
    const slot::SlotIndex index (slotIndex);

    slotViewModel->setSlotLength (slot.getTimeLength(), index);

    if (startMoved)
        slotPadViewModel->setStartTime (FrameTime::toSeconds (range.getStart(), rate), index);

    if (endMoved)
        slotPadViewModel->setEndTime (FrameTime::toSeconds (range.getEnd(), rate), index);

    pushCurrentBankTotal();
}

void ViewModelLinks::pushSlotTimes (int slotIndex, double startSeconds, double endSeconds)
{
    const slot::SlotIndex index (slotIndex);
    slotViewModel->setSlotLength (endSeconds - startSeconds, index);
    slotPadViewModel->setStartTime (startSeconds, index);
    slotPadViewModel->setEndTime (endSeconds, index);
    pushCurrentBankTotal();
}

void ViewModelLinks::pushSlotGain (int slotIndex, float gainDb)
{
    slotPadViewModel->setGainDb (gainDb, slot::SlotIndex (slotIndex));

    if (slotIndex == getSelectedSlot())
        slotDetailViewModel->setGainDb (gainDb);
}

void ViewModelLinks::pushSlotLoop (int slotIndex, bool loop)
{
    slotViewModel->setSlotLoopMode (loop, slot::SlotIndex (slotIndex));
    slotPadViewModel->setLoopMode (loop, slot::SlotIndex (slotIndex));
    slotDetailViewModel->setLoopMode (loop);
}

//==============================================================================
void ViewModelLinks::refresh (bool includeCollection)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (!editingAttached())
        return;

    if (includeCollection)
    {
        if (browseViewModel == nullptr)
            return;

        browseViewModel->setBankCollection (bankCollection, true);
    }

    pushBankList (true);

    // Every SLOT may hold new content now.
    selectedContentReplaced();

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
