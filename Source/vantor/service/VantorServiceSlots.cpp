#include "vantor/service/VantorService.h"

#include "vantor/service/IndexRules.h"
#include "vantor/service/MessageCode.h"
#include "vantor/slot/SlotViewModel.h"

// The SLOT operations of the service: the SLOT list of the current BANK (selection, swapping,
// clearing, the SLOT clipboard, names) here, and the editing of one SLOT forwarded to SlotEditing.
// All on the message thread.

namespace vantor::service
{
using dataset::WyxSlot;
using namespace indexrules;

//==============================================================================
// Editing one SLOT

bool VantorService::assignAudio (const int& slotIndex, const juce::File& file)
{
    return slotEditing.assignAudio (slotIndex, file);
}

bool VantorService::setSlotBpm (const int& slotIndex, const int& bpmX100)
{
    return slotEditing.setSlotBpm (slotIndex, bpmX100);
}

bool VantorService::setBpm (const int& bpmX100)
{
    return slotEditing.setBpm (bpmX100);
}

bool VantorService::setBeats (const int& beatsX100, const bool& requireBeats)
{
    return slotEditing.setBeats (beatsX100, requireBeats);
}

bool VantorService::setCalcBpmMode (const bool& on)
{
    return slotEditing.setCalcBpmMode (on);
}

bool VantorService::calculateBpm (const int& beatsX100)
{
    return slotEditing.calculateBpm (beatsX100);
}

bool VantorService::setSlotStartTime (const int& slotIndex, const double& seconds)
{
    return slotEditing.setSlotStartTime (slotIndex, seconds);
}

bool VantorService::setStartTime (const double& seconds)
{
    return slotEditing.setStartTime (seconds);
}

bool VantorService::setSlotEndTime (const int& slotIndex, const double& seconds)
{
    return slotEditing.setSlotEndTime (slotIndex, seconds);
}

bool VantorService::setEndTime (const double& seconds)
{
    return slotEditing.setEndTime (seconds);
}

bool VantorService::setSlotTimeRange (const int& slotIndex, const double& start, const double& end)
{
    return slotEditing.setSlotTimeRange (slotIndex, start, end);
}

bool VantorService::setTimeRange (const double& start, const double& end)
{
    return slotEditing.setTimeRange (start, end);
}

bool VantorService::setSlotGainDb (const int& slotIndex, const float& db)
{
    return slotEditing.setSlotGainDb (slotIndex, db);
}

bool VantorService::setGainDb (const float& db)
{
    return slotEditing.setGainDb (db);
}

bool VantorService::setSlotLoop (const int& slotIndex, const bool& loop)
{
    return slotEditing.setSlotLoop (slotIndex, loop);
}

bool VantorService::setLoop (const bool& loop)
{
    return slotEditing.setLoop (loop);
}

//==============================================================================
// The SLOT list of the current BANK

bool VantorService::selectSlot (const int& slotIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (links.slots() == nullptr || links.detail() == nullptr)
        return false;

    auto* slot = links.getCurrentBankSlot (slotIndex);

    if (slot == nullptr)
        return false;

    links.pushSelectedSlot (slotIndex, *slot, false);
    return true;
}

bool VantorService::swapSlots (const int& a, const int& b)
{
    JUCE_ASSERT_MESSAGE_THREAD

    auto* bank = links.editingAttached() ? links.getCurrentBank() : nullptr;

    if (bank == nullptr || links.getCurrentBankSlot (a) == nullptr || links.getCurrentBankSlot (b) == nullptr)
        return false;

    auto* selectedBefore = links.getCurrentBankSlot (links.getSelectedSlot());
    auto& slots = bank->getSlotList();
    slots.slots.swap (a, b);
    slots.sendChangeMessage();

    for (auto index : {a, b})
        if (!mayLoop (index))
            slots[index]->setLoop (false);

    links.pushSlotsSwapped (a, b, selectedBefore);
    return true;
}

bool VantorService::clearSlot (const int& slotIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD

    auto* slot = links.getEditableSlot (slotIndex);

    if (slot == nullptr)
        return false;

    slot->clear();
    links.pushSlotReplaced (slotIndex, *slot, false);
    return true;
}

bool VantorService::cutSlot (const int& slotIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD
    ScopedErrorMessage message (*this);

    if (clipboard == nullptr)
        return false;

    auto* slot = links.getEditableSlot (slotIndex);

    if (slot == nullptr)
        return false;

    if (!storeClip (slot->cloneToTemp().get(), ClipboardInfo::slot, slot->getName()))
        return message.fail (MessageCode::fileMissing);

    slot->clear();
    links.pushSlotReplaced (slotIndex, *slot, false);
    return true;
}

bool VantorService::copySlot (const int& slotIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD
    ScopedErrorMessage message (*this);

    if (clipboard == nullptr)
        return false;

    auto* slot = links.getCurrentBankSlot (slotIndex);

    if (slot == nullptr)
        return false;

    if (!storeClip (slot->cloneToTemp().get(), ClipboardInfo::slot, slot->getName()))
        return message.fail (MessageCode::fileMissing);

    return true;
}

bool VantorService::pasteSlot (const int& slotIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (clipboard == nullptr)
        return false;

    auto* clip = dynamic_cast<WyxSlot*> (clipboard->content.get());
    auto* slot = links.getEditableSlot (slotIndex);

    if (clip == nullptr || slot == nullptr || !slot->copyFrom (clip))
        return false;

    if (!mayLoop (slotIndex))
        slot->setLoop (false);

    links.pushSlotReplaced (slotIndex, *slot, true);
    return true;
}

bool VantorService::renameSlot (const int& slotIndex, const juce::String& name)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (links.slots() == nullptr || links.detail() == nullptr)
        return false;

    auto* slot = links.getCurrentBankSlot (slotIndex);

    if (slot == nullptr)
        return false;

    const auto cut = namelimit::cut (name, *this);
    slot->setName (cut);
    links.slots()->setSlotName (cut, slot::SlotIndex (slotIndex));
    return true;
}
} // namespace vantor::service
