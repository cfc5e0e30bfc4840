#include "vantor/slot/SlotPadViewModel.h"

#include "vantor/RunCommand.h"
#include "vantor/ViewModelTools.h"
#include "vantor/dataset/FrameTime.h"
#include "vantor/dataset/WyxSlotList.h"
#include "vantor/slot/AssignAudioCmd.h"
#include "vantor/slot/ChangeGainDbCmd.h"

namespace vantor::slot
{
SlotPadViewModel::SlotPadViewModel (service::IVantorDataMediator* serviceToUse)
    : service (serviceToUse)
{
}

SlotPadViewModel::~SlotPadViewModel() = default;

void SlotPadViewModel::addListener (SlotPadObserver* observer)
{
    addObserverOnce (listeners, observer,
                     [this] (SlotPadObserver& o)
                     {
                         for (int i = 0; i < padCount; ++i)
                             o.padChanged (i, SlotPadState (pads[(size_t)i]));
                     });
}

void SlotPadViewModel::removeListener (SlotPadObserver* observer)
{
    listeners.remove (observer);
}

SlotPadState SlotPadViewModel::makePad (const dataset::WyxSlot& slot)
{
    SlotPadState pad;
    pad.audioFile = slot.getFile();

    const auto seconds = dataset::FrameTime::toSeconds (slot.getRange(), slot.getFileInfo().sampleRate);
    pad.startSeconds = seconds.start;
    pad.endSeconds = seconds.end;

    pad.loop = slot.isLoop();
    pad.gainDb = slot.getGainDb();
    return pad;
}

SlotPadState* SlotPadViewModel::findPad (SlotIndex slotIndex)
{
    return isRowIndex (slotIndex.value, padCount) ? &pads[(size_t)slotIndex.value] : nullptr;
}

void SlotPadViewModel::updateFromSlotList (const dataset::WyxSlotList& slots, bool notify)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (refillRows (pads, slots, makePad) && notify)
        for (int i = 0; i < padCount; ++i)
        {
            const auto pad = pads[(size_t)i];
            listeners.call ([i, &pad] (SlotPadObserver& o) { o.padChanged (i, pad); });
        }
}

void SlotPadViewModel::updateSlot (dataset::WyxSlot* slot, const int& slotIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD
    jassert (slot != nullptr);

    auto* pad = findPad (SlotIndex (slotIndex));

    if (pad == nullptr || slot == nullptr)
        return;

    // A copy: an observer may trigger further updates while the others still wait for this one.
    const auto state = *pad = makePad (*slot);
    const int index = slotIndex;
    listeners.call ([index, &state] (SlotPadObserver& o) { o.padChanged (index, state); });
}

void SlotPadViewModel::setStartTime (const double& seconds, SlotIndex slotIndex)
{
    auto* pad = findPad (slotIndex);

    if (pad == nullptr)
        return;

    const double value = pad->startSeconds = seconds;
    pad->endSeconds = juce::jmax (pad->endSeconds, value);
    listeners.call ([value, slotIndex] (SlotPadObserver& o)
                    { o.padStartTimeChanged (slotIndex.value, value); });
}

void SlotPadViewModel::setEndTime (const double& seconds, SlotIndex slotIndex)
{
    auto* pad = findPad (slotIndex);

    if (pad == nullptr)
        return;

    const double value = pad->endSeconds = seconds;
    pad->startSeconds = juce::jmin (pad->startSeconds, value);
    listeners.call ([value, slotIndex] (SlotPadObserver& o)
                    { o.padEndTimeChanged (slotIndex.value, value); });
}

void SlotPadViewModel::setLoopMode (const bool& loop, SlotIndex slotIndex)
{
    auto* pad = findPad (slotIndex);

    if (pad == nullptr)
        return;

    const bool value = pad->loop = loop;
    listeners.call ([value, slotIndex] (SlotPadObserver& o)
                    { o.padLoopModeChanged (slotIndex.value, value); });
}

void SlotPadViewModel::setGainDb (const float& gainDb, SlotIndex slotIndex)
{
    auto* pad = findPad (slotIndex);

    if (pad == nullptr)
        return;

    const float value = pad->gainDb = gainDb;
    listeners.call ([value, slotIndex] (SlotPadObserver& o) { o.padGainDbChanged (slotIndex.value, value); });
}

void SlotPadViewModel::assignAudio (const int& slotIndex, const juce::File& file)
{
    runCommand<AssignAudioCmd> (service, slotIndex, file);
}

void SlotPadViewModel::changeGainDb (const int& slotIndex, const float& gainDb)
{
    runCommand<ChangeGainDbCmd> (service, slotIndex, gainDb);
}
} // namespace vantor::slot
