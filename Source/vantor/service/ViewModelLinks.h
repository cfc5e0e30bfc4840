#pragma once

#include "vantor/dataset/WyxBank.h"
#include "vantor/dataset/WyxBankCollection.h"
#include "vantor/dataset/WyxModel.h"

#include <functional>

namespace vantor::bank
{
class BankViewModel;
}
namespace vantor::browse
{
class BrowseViewModel;
}
namespace vantor::slot
{
class SlotViewModel;
class SlotPadViewModel;
} // namespace vantor::slot
namespace vantor::slot_detail
{
class SlotDetailViewModel;
}

namespace vantor::service
{
/** The service's links to the five view models: it holds them, loads each from the data when it
    is attached, tells where the user is (the current BANK, the selected SLOT) and pushes changed
    data into them.

    A change that more than one view model shows is pushed by one method here, so the SLOT table,
    the pads, the detail and the BANK total never show two states of one SLOT; an operation that
    changes one value of one view model calls that view model through its accessor.

    The composition root owns the view models, attaches them after the service exists and destroys
    them before it; the model and the collection belong to the service's data set, which outlives
    these links. Threads: message thread only. */
class ViewModelLinks
{
public:
    ViewModelLinks (dataset::WyxModel* model, dataset::WyxBankCollection* bankCollection);

    // Attaching loads the view model from the data at once; null detaches.
    void setBrowseViewModel (browse::BrowseViewModel* viewModel);
    void setBankViewModel (bank::BankViewModel* viewModel);
    void setSlotViewModel (slot::SlotViewModel* viewModel);
    void setSlotPadViewModel (slot::SlotPadViewModel* viewModel);
    void setSlotDetailViewModel (slot_detail::SlotDetailViewModel* viewModel);

    /** Called just before the SLOT views show another BANK, select another SLOT or get new content
        for the selected one: whatever was kept for the content they showed no longer applies. */
    void setSelectedContentReplacedCallback (std::function<void()> callback);

    browse::BrowseViewModel* browse() const noexcept { return browseViewModel; }
    bank::BankViewModel* bank() const noexcept { return bankViewModel; }
    slot::SlotViewModel* slots() const noexcept { return slotViewModel; }
    slot::SlotPadViewModel* pads() const noexcept { return slotPadViewModel; }
    slot_detail::SlotDetailViewModel* detail() const noexcept { return slotDetailViewModel; }

    /** True when the model and the four view models that editing a BANK or a SLOT updates are
        there; the collection's view model is not one of them. */
    bool editingAttached() const noexcept;

    /** -1 without the view model that knows it. */
    int getSelectedSlot() const noexcept;
    int getCurrentBankIndex() const noexcept;
    /** Null for an index outside the model. */
    dataset::WyxBank* getModelBank (int bankIndex) const;
    dataset::WyxBank* getCurrentBank() const;
    /** BANK bankIndex of the model when every editing view model is attached, else null. */
    dataset::WyxBank* getEditableBank (int bankIndex) const;
    /** SLOT slotIndex of the current BANK; null when there is none. */
    dataset::WyxSlot* getCurrentBankSlot (int slotIndex) const;
    /** SLOT slotIndex of the current BANK when every editing view model is attached, else null. */
    dataset::WyxSlot* getEditableSlot (int slotIndex) const;
    double getCurrentBankLength() const;

    // Pushes. The editing view models are attached (editingAttached()) unless a push says less.

    /** The BANK list and the favourite. Needs the BANK view model only. */
    void pushBankList (bool notify);
    /** The current BANK's total length. Needs the BANK view model only. */
    void pushCurrentBankTotal();
    /** A stored BANK shown again in its row of the collection, and selected there. */
    void pushCollectionRow (dataset::WyxBank& stored, int row);
    /** A BANK with new content: its row, and the SLOT views when it is the current one. */
    void pushBankChanged (dataset::WyxBank& bank, int bankIndex);
    /** The BANK becomes the current one and the SLOT views show it. */
    void pushCurrentBank (dataset::WyxBank& bank, int bankIndex, bool audioFileChanged);
    /** Shows the BANK in the SLOT views, the selection's detail included. */
    void reloadSlotViews (dataset::WyxBank& bank, bool audioFileChanged);

    /** The SLOT becomes the selected one and the detail shows it. Needs the SLOT and detail view
        models only. */
    void pushSelectedSlot (int slotIndex, dataset::WyxSlot& slot, bool audioFileChanged);
    /** A SLOT that got new audio: its row and pad, the selection moved to it, the BANK total. */
    void pushNewAudio (int slotIndex, dataset::WyxSlot& slot);
    /** A SLOT whose content was replaced (cleared, cut, pasted); alwaysReloadDetail shows it in the
        detail even when it is not the selected one. */
    void pushSlotReplaced (int slotIndex, dataset::WyxSlot& slot, bool alwaysReloadDetail);
    /** Two SLOTs swapped places; the selection follows to b. */
    void pushSlotsSwapped (int a, int b, const dataset::WyxSlot* selectedBefore);
    /** A SLOT's length and, where they moved, its start and end on the pad; the BANK total. */
    void pushSlotRange (int slotIndex, dataset::WyxSlot& slot, bool startMoved, bool endMoved);
    /** The same for a range given in seconds. */
    void pushSlotTimes (int slotIndex, double startSeconds, double endSeconds);
    /** A SLOT's gain on its pad and, when it is selected, in the detail. */
    void pushSlotGain (int slotIndex, float gainDb);
    /** A SLOT's loop in its row, on its pad and in the detail. */
    void pushSlotLoop (int slotIndex, bool loop);

    /** Reloads every view model from the data (after a restore or an import replaced it). */
    void refresh (bool includeCollection);

private:
    void selectedContentReplaced();

    // Owned by the service's data set, which outlives the links.
    dataset::WyxModel* const model;
    dataset::WyxBankCollection* const bankCollection;

    browse::BrowseViewModel* browseViewModel = nullptr;
    bank::BankViewModel* bankViewModel = nullptr;
    slot::SlotViewModel* slotViewModel = nullptr;
    slot::SlotPadViewModel* slotPadViewModel = nullptr;
    slot_detail::SlotDetailViewModel* slotDetailViewModel = nullptr;
    std::function<void()> onSelectedContentReplaced;

    JUCE_DECLARE_NON_COPYABLE (ViewModelLinks)
};
} // namespace vantor::service
