#include "vantor/slot/SlotViewModel.h"

#include "vantor/RunCommand.h"
#include "vantor/ViewModelTools.h"
#include "vantor/dataset/FrameTime.h"
#include "vantor/dataset/WyxSlotList.h"
#include "vantor/slot/AssignAudioCmd.h"
#include "vantor/slot/ChangeSlotNameCmd.h"
#include "vantor/slot/CopySlotCmd.h"
#include "vantor/slot/CutSlotCmd.h"
#include "vantor/slot/DeleteSlotCmd.h"
#include "vantor/slot/PasteSlotCmd.h"
#include "vantor/slot/SelectSlotCmd.h"
#include "vantor/slot/SwapSlotCmd.h"

namespace vantor::slot
{
namespace
{
bool isRow (int index)
{
    return isRowIndex (index, SlotViewModel::rowCount);
}
} // namespace

SlotViewModel::SlotViewModel (service::IVantorDataMediator* serviceToUse)
    : service (serviceToUse)
{
}

SlotViewModel::~SlotViewModel() = default;

void SlotViewModel::addListener (SlotObserver* observer)
{
    addObserverOnce (listeners, observer, [this] (SlotObserver& o) { o.slotListChanged (makeSnapshot()); });
}

void SlotViewModel::removeListener (SlotObserver* observer)
{
    listeners.remove (observer);
}

SlotRowInfo SlotViewModel::makeRow (const dataset::WyxSlot& slot)
{
    SlotRowInfo row;
    row.hasAudio = slot.getFile().getFullPathName().isNotEmpty();
    row.name = slot.getName();

    row.lengthSeconds =
        dataset::FrameTime::toSeconds (slot.getRange().getLength(), slot.getFileInfo().sampleRate);

    row.loop = slot.isLoop();
    return row;
}

std::unique_ptr<SlotListState> SlotViewModel::makeSnapshot() const
{
    auto snapshot = std::make_unique<SlotListState>();
    snapshot->selectedSlot = selectedSlot;
    snapshot->rows = rows;
    return snapshot;
}

void SlotViewModel::updateFromSlotList (const dataset::WyxSlotList& list, bool notify)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (refillRows (rows, list, makeRow) && notify)
    {
        const auto snapshot = makeSnapshot();
        listeners.call ([&snapshot] (SlotObserver& o) { o.slotListChanged (snapshot); });
    }
}

void SlotViewModel::updateSlot (dataset::WyxSlot* slot, const int& slotIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD
    jassert (slot != nullptr);

    if (!isRow (slotIndex) || slot == nullptr)
        return;

    // A copy: an observer may trigger further updates while the others still wait for this one.
    const auto row = rows[(size_t)slotIndex] = makeRow (*slot);
    const int index = slotIndex;
    listeners.call ([&row, index] (SlotObserver& o)
                    { o.slotChanged (index, row.hasAudio, row.name, row.lengthSeconds, row.loop); });
}

void SlotViewModel::setSelectedSlot (const int& slotIndex)
{
    if (!isRow (slotIndex))
        return;

    selectedSlot = slotIndex;
    const int index = slotIndex;
    listeners.call ([index] (SlotObserver& o) { o.selectedSlotChanged (index); });
}

void SlotViewModel::setSlotName (const juce::String& name, SlotIndex slotIndex)
{
    if (!isRow (slotIndex.value))
        return;

    rows[(size_t)slotIndex.value].name = name;
    const juce::String stored = name; // the caller's string may be a row that an observer replaces
    listeners.call ([&stored, slotIndex] (SlotObserver& o) { o.slotNameChanged (slotIndex.value, stored); });
}

void SlotViewModel::setSlotLength (const double& lengthSeconds, SlotIndex slotIndex)
{
    if (!isRow (slotIndex.value))
        return;

    const double value = rows[(size_t)slotIndex.value].lengthSeconds = lengthSeconds;
    listeners.call ([value, slotIndex] (SlotObserver& o) { o.slotLengthChanged (slotIndex.value, value); });
}

void SlotViewModel::setSlotLoopMode (const bool& loop, SlotIndex slotIndex)
{
    if (!isRow (slotIndex.value))
        return;

    const bool value = rows[(size_t)slotIndex.value].loop = loop;
    listeners.call ([value, slotIndex] (SlotObserver& o) { o.slotLoopModeChanged (slotIndex.value, value); });
}

void SlotViewModel::assignAudio (const int& slotIndex, const juce::File& file)
{
    runCommand<AssignAudioCmd> (service, slotIndex, file);
}

void SlotViewModel::selectSlot (const int& slotIndex)
{
    runCommand<SelectSlotCmd> (service, slotIndex);
}

void SlotViewModel::swapSlot (const int& fromIndex, const int& toIndex)
{
    runCommand<SwapSlotCmd> (service, fromIndex, toIndex);
}

void SlotViewModel::deleteSlot (const int& slotIndex)
{
    runCommand<DeleteSlotCmd> (service, slotIndex);
}

void SlotViewModel::cutSlot (const int& slotIndex)
{
    runCommand<CutSlotCmd> (service, slotIndex);
}

void SlotViewModel::copySlot (const int& slotIndex)
{
    runCommand<CopySlotCmd> (service, slotIndex);
}

void SlotViewModel::pasteSlot (const int& slotIndex)
{
    runCommand<PasteSlotCmd> (service, slotIndex);
}

void SlotViewModel::changeSlotName (const int& slotIndex, const juce::String& name)
{
    runCommand<ChangeSlotNameCmd> (service, slotIndex, name);
}
} // namespace vantor::slot
