#include "vantor/service/VantorService.h"

#include "common/usage/UsageLogger.h"
#include "vantor/bank/BankViewModel.h"
#include "vantor/dataset/FrameTime.h"
#include "vantor/service/BpmMath.h"
#include "vantor/service/IndexRules.h"
#include "vantor/service/MessageCode.h"
#include "vantor/service/SlotRange.h"
#include "vantor/slot/SlotPadViewModel.h"
#include "vantor/slot/SlotViewModel.h"
#include "vantor/slot_detail/SlotDetailViewModel.h"

#include <cmath>

// The SLOT operations of the service: audio, range, gain, loop, BPM and beats of the current BANK's
// SLOTs, with the BPM-calculation mode, and the SLOT clipboard. All on the message thread.

namespace vantor::service
{
using dataset::FrameTime;
using dataset::WyxSlot;
using namespace indexrules;

bool VantorService::assignAudio (const int& slotIndex, const juce::File& file)
{
    JUCE_ASSERT_MESSAGE_THREAD
    ScopedErrorMessage message (*this);

    auto* slot = getEditableSlot (slotIndex);

    if (slot == nullptr)
        return false;

    common::AudioFileTools::AudioFileInfo info;
    auto reader = slot->createReader (file, &info);

    // A reader without a sample rate cannot tell a length: the file is as unreadable as one that
    // no reader opens.
    if (reader == nullptr || !(info.sampleRate > 0.0))
        return false;

    const auto seconds = FrameTime::toSeconds (info.lengthInSamples, info.sampleRate);

    if (seconds > maxAudioSeconds)
        return message.fail (MessageCode::audioTooLong);

    if (seconds < minAudioSeconds)
        return message.fail (MessageCode::audioTooShort);

    if (!slot->importFromReader (reader, file, info, false))
        return false;

    reader.reset();
    clearSavedBpmState();

    const auto name = slot->getName();
    const auto cut = cutName (name);

    if (cut != name)
        slot->setName (cut);

    if (!mayLoop (slotIndex))
        slot->setLoop (false);

    slotViewModel->updateSlot (slot, slotIndex);
    slotPadViewModel->updateSlot (slot, slotIndex);
    slotViewModel->setSelectedSlot (slotIndex);
    slotDetailViewModel->updateFromSlot (slotIndex, slot, true, true);
    pushCurrentBankTotal();

    const auto factoryFolder = dataSet->getFactorySampleFolder();
    common::UsageLogger::logFileInfo (factoryFolder != juce::File() && file.isAChildOf (factoryFolder),
                                      file.getFileExtension(), info.bitRate, info.sampleRate,
                                      info.bitsPerSample);
    return true;
}

bool VantorService::setSlotBpm (const int& slotIndex, const int& bpmX100)
{
    JUCE_ASSERT_MESSAGE_THREAD

    auto* slot = getEditableSlot (slotIndex);

    if (slot == nullptr)
        return false;

    const auto bpm = BpmMath::clampBpm (bpmX100 / 100.0);
    const auto stored = BpmMath::toHundredths (bpm);
    slot->setBpm (stored);
    slotDetailViewModel->setBpm (stored);

    if (!calcBpmMode)
    {
        slotDetailViewModel->setBeats (
            BpmMath::toHundredths (BpmMath::calcBeatsFromBpm (bpm, slot->getTimeLength())));
        return true;
    }

    const auto rate = slot->getFileInfo().sampleRate;

    if (!(rate > 0.0))
        return false;

    const auto range = slot->getRange();
    savedBpmState = {bpm, FrameTime::toSeconds (range.getStart(), rate),
                     FrameTime::toSeconds (range.getEnd(), rate), true};
    return true;
}

bool VantorService::setBpm (const int& bpmX100)
{
    return slotViewModel != nullptr && setSlotBpm (getSelectedSlot(), bpmX100);
}

bool VantorService::setBeats (const int& beatsX100, const bool& requireBeats)
{
    JUCE_ASSERT_MESSAGE_THREAD
    ScopedErrorMessage message (*this);

    const auto slotIndex = getSelectedSlot();
    auto* slot = getEditableSlot (slotIndex);

    if (slot == nullptr)
        return false;

    auto beats = beatsX100 / 100.0;

    if (beats <= 0.0)
    {
        if (requireBeats)
            return message.fail (MessageCode::beatsRequired);

        slotDetailViewModel->setBeats (0);
        return false;
    }

    if (calcBpmMode)
    {
        beats = BpmMath::beatsWithinBpmLimits (beats, slot->getTimeLength());
        slotDetailViewModel->setBeats (BpmMath::toHundredths (beats));
        return true;
    }

    const auto rate = slot->getFileInfo().sampleRate;

    if (!(rate > 0.0))
        return false;

    // The range follows the beats at the stored BPM.
    const auto bpm = slot->getBpm() / 100.0;
    const auto oldRange = slot->getRange();
    const auto placed = SlotRange::forLength (oldRange.getStart(), BpmMath::beatsToSamples (beats, bpm, rate),
                                              rate, slot->getFileInfo().sampleCount);

    if (placed.corrected)
        beats = BpmMath::calcBeatsFromBpm (bpm, FrameTime::toSeconds (placed.frames.getLength(), rate));

    slot->setRange (placed.frames);
    const auto startMoved = slot->getRange().getStart() != oldRange.getStart();

    if (startMoved)
        slotDetailViewModel->setStartTime (FrameTime::toSeconds (slot->getRange().getStart(), rate));

    slotDetailViewModel->setEndTime (FrameTime::toSeconds (slot->getRange().getEnd(), rate));
    slotDetailViewModel->setBeats (BpmMath::toHundredths (beats));
    pushSlotRange (slotIndex, *slot, startMoved, true);
    return true;
}

bool VantorService::setCalcBpmMode (const bool& on)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (slotViewModel == nullptr || slotDetailViewModel == nullptr)
        return false;

    const auto slotIndex = getSelectedSlot();
    auto* slot = getCurrentBankSlot (slotIndex);

    if (slot == nullptr)
        return false;

    calcBpmMode = on;
    const auto file = slot->getFile();

    if (file != juce::File() && file.exists())
    {
        const auto rate = slot->getFileInfo().sampleRate;

        if (!(rate > 0.0))
            return false;

        const auto range = slot->getRange();

        if (on)
        {
            savedBpmState = {slot->getBpm() / 100.0, FrameTime::toSeconds (range.getStart(), rate),
                             FrameTime::toSeconds (range.getEnd(), rate), true};
        }
        else if (savedBpmState.valid)
        {
            const auto saved = savedBpmState;
            const auto bpm = BpmMath::toHundredths (saved.bpm);
            // Rounded: the seconds were made from these very frames.
            const auto startFrame = (juce::int64)std::llround (rate * saved.startSeconds);
            const auto endFrame =
                juce::jmax (startFrame, (juce::int64)std::llround (rate * saved.endSeconds));

            slot->setBpm (bpm);
            slot->setRange ({startFrame, endFrame});
            slotDetailViewModel->setBpm (bpm);
            slotDetailViewModel->setBeats (BpmMath::toHundredths (
                BpmMath::calcBeatsFromBpm (saved.bpm, saved.endSeconds - saved.startSeconds)));
            slotDetailViewModel->setStartTime (saved.startSeconds);
            slotDetailViewModel->setEndTime (saved.endSeconds);
            clearSavedBpmState();

            // The range went back, so the table, the pad and the BANK total follow it.
            if (bankViewModel != nullptr && slotPadViewModel != nullptr)
                pushSlotRange (slotIndex, *slot, true, true);
        }
    }

    slotDetailViewModel->setCalcBpmMode (on);
    return true;
}

bool VantorService::calculateBpm (const int& beatsX100)
{
    JUCE_ASSERT_MESSAGE_THREAD
    ScopedErrorMessage message (*this);

    if (slotViewModel == nullptr || slotDetailViewModel == nullptr || !calcBpmMode)
        return false;

    const auto beats = beatsX100 / 100.0;

    if (beats <= 0.0)
        return message.fail (MessageCode::beatsRequired);

    auto* slot = getCurrentBankSlot (getSelectedSlot());

    if (slot == nullptr)
        return false;

    const auto bpm = BpmMath::clampBpm (BpmMath::calcBpmFromBeats (beats, slot->getTimeLength()));
    slotDetailViewModel->notifyBpmCalculated (BpmMath::toHundredths (bpm));
    return true;
}

void VantorService::pushBeatsAtStoredBpm (const WyxSlot& slot)
{
    slotDetailViewModel->setBeats (
        BpmMath::toHundredths (BpmMath::calcBeatsFromBpm (slot.getBpm() / 100.0, slot.getTimeLength())));
}

void VantorService::pushSlotRange (int slotIndex, WyxSlot& slot, bool startMoved, bool endMoved)
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

void VantorService::storeRangeWithMovedSide (int slotIndex, WyxSlot& slot, juce::Range<juce::int64> range,
                                             bool startSide)
{
    const auto rate = slot.getFileInfo().sampleRate;
    const auto old = slot.getRange();
    slot.setRange (range);
    const auto stored = slot.getRange();
    // The side asked for is always shown, also unchanged; the other only when the rules moved it.
    const auto startMoved = startSide || stored.getStart() != old.getStart();
    const auto endMoved = !startSide || stored.getEnd() != old.getEnd();

    if (startMoved)
        slotDetailViewModel->setStartTime (FrameTime::toSeconds (stored.getStart(), rate));

    if (endMoved)
        slotDetailViewModel->setEndTime (FrameTime::toSeconds (stored.getEnd(), rate));

    if (!calcBpmMode)
        pushBeatsAtStoredBpm (slot);

    pushSlotRange (slotIndex, slot, startMoved, endMoved);
}

bool VantorService::setSlotStartTime (const int& slotIndex, const double& seconds)
{
    JUCE_ASSERT_MESSAGE_THREAD

    auto* slot = getEditableSlot (slotIndex);

    if (slot == nullptr)
        return false;

    const auto rate = slot->getFileInfo().sampleRate;

    if (!(rate > 0.0))
        return false;

    const auto start = FrameTime::toFrames (seconds, rate);

    if (!SlotRange::isTime (seconds) || start < 0)
        return false;

    const auto fileFrames = slot->getFileInfo().sampleCount;
    const auto oldEnd = slot->getRange().getEnd();
    auto range = SlotRange::withMovedStart (start, oldEnd, SlotRange::minimumLength (rate), fileFrames);

    if (calcBpmMode)
    {
        const auto length =
            SlotRange::lengthWithinBpmLimits (slotDetailViewModel->getBeats(), range.getLength(), rate);

        if (length >= 0)
            range = SlotRange::endingAt (range.getEnd(), length, fileFrames);
    }

    storeRangeWithMovedSide (slotIndex, *slot, range, true);
    return true;
}

bool VantorService::setStartTime (const double& seconds)
{
    return slotViewModel != nullptr && setSlotStartTime (getSelectedSlot(), seconds);
}

bool VantorService::setSlotEndTime (const int& slotIndex, const double& seconds)
{
    JUCE_ASSERT_MESSAGE_THREAD

    auto* slot = getEditableSlot (slotIndex);

    if (slot == nullptr)
        return false;

    const auto rate = slot->getFileInfo().sampleRate;

    if (!(rate > 0.0))
        return false;

    const auto fileFrames = slot->getFileInfo().sampleCount;
    const auto end = FrameTime::toFrames (seconds, rate);

    if (!SlotRange::isTime (seconds) || end > fileFrames)
        return false;

    const auto oldStart = slot->getRange().getStart();
    auto range = SlotRange::withMovedEnd (oldStart, end, SlotRange::minimumLength (rate), fileFrames);

    if (calcBpmMode)
    {
        const auto length =
            SlotRange::lengthWithinBpmLimits (slotDetailViewModel->getBeats(), range.getLength(), rate);

        if (length >= 0)
            range = SlotRange::startingAt (range.getStart(), length, fileFrames);
    }

    storeRangeWithMovedSide (slotIndex, *slot, range, false);
    return true;
}

bool VantorService::setEndTime (const double& seconds)
{
    return slotViewModel != nullptr && setSlotEndTime (getSelectedSlot(), seconds);
}

bool VantorService::setSlotTimeRange (const int& slotIndex, const double& start, const double& end)
{
    JUCE_ASSERT_MESSAGE_THREAD

    auto* slot = getEditableSlot (slotIndex);

    if (slot == nullptr)
        return false;

    const auto rate = slot->getFileInfo().sampleRate;

    if (!(rate > 0.0))
        return false;

    const auto fileFrames = slot->getFileInfo().sampleCount;

    if (!SlotRange::isTime (start) || !SlotRange::isTime (end))
        return false;

    const auto requestedStart = FrameTime::toFrames (start, rate);

    if (requestedStart < 0 || juce::jmax (requestedStart, FrameTime::toFrames (end, rate)) > fileFrames)
        return false;

    auto seconds = SlotRange::withMinimumLength ({start, end}, rate, fileFrames);
    auto startFrame = FrameTime::toFrames (seconds.start, rate);
    auto endFrame = FrameTime::toFrames (seconds.end, rate);

    if (calcBpmMode)
    {
        const auto length =
            SlotRange::lengthWithinBpmLimits (slotDetailViewModel->getBeats(), endFrame - startFrame, rate);

        if (length >= 0)
        {
            const auto range = SlotRange::startingAt (startFrame, length, fileFrames);
            startFrame = range.getStart();
            endFrame = range.getEnd();
            seconds = {FrameTime::toSeconds (startFrame, rate), FrameTime::toSeconds (endFrame, rate)};
        }
    }

    slot->setRange ({startFrame, juce::jmax (startFrame, endFrame)});

    if (calcBpmMode)
    {
        slotDetailViewModel->setStartTime (FrameTime::toSeconds (startFrame, rate));
        slotDetailViewModel->setEndTime (FrameTime::toSeconds (endFrame, rate));
    }
    else
    {
        slotDetailViewModel->setStartTime (seconds.start);
        slotDetailViewModel->setEndTime (seconds.end);
        slotDetailViewModel->setBeats (BpmMath::toHundredths (
            BpmMath::calcBeatsFromBpm (slot->getBpm() / 100.0, seconds.end - seconds.start)));
    }

    const slot::SlotIndex index (slotIndex);
    slotViewModel->setSlotLength (seconds.end - seconds.start, index);
    slotPadViewModel->setStartTime (seconds.start, index);
    slotPadViewModel->setEndTime (seconds.end, index);
    pushCurrentBankTotal();
    return true;
}

bool VantorService::setTimeRange (const double& start, const double& end)
{
    return slotViewModel != nullptr && setSlotTimeRange (getSelectedSlot(), start, end);
}

bool VantorService::setSlotGainDb (const int& slotIndex, const float& db)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (std::isnan (db))
        return false;

    auto* slot = getEditableSlot (slotIndex);

    if (slot == nullptr)
        return false;

    const auto gain = juce::jmax (juce::jmin (db, 9.0f), -18.0f);
    slot->setGainDb (gain);
    slotPadViewModel->setGainDb (gain, slot::SlotIndex (slotIndex));

    if (slotIndex == getSelectedSlot())
        slotDetailViewModel->setGainDb (gain);

    return true;
}

bool VantorService::setGainDb (const float& db)
{
    return slotViewModel != nullptr && setSlotGainDb (getSelectedSlot(), db);
}

bool VantorService::setSlotLoop (const int& slotIndex, const bool& loop)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (slotViewModel == nullptr || slotPadViewModel == nullptr || slotDetailViewModel == nullptr ||
        !mayLoop (slotIndex))
        return false;

    auto* slot = getCurrentBankSlot (slotIndex);

    if (slot == nullptr)
        return false;

    slot->setLoop (loop);
    slotViewModel->setSlotLoopMode (loop, slot::SlotIndex (slotIndex));
    slotPadViewModel->setLoopMode (loop, slot::SlotIndex (slotIndex));
    slotDetailViewModel->setLoopMode (loop);
    return true;
}

bool VantorService::setLoop (const bool& loop)
{
    return slotViewModel != nullptr && setSlotLoop (getSelectedSlot(), loop);
}

bool VantorService::selectSlot (const int& slotIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (slotViewModel == nullptr || slotDetailViewModel == nullptr)
        return false;

    auto* slot = getCurrentBankSlot (slotIndex);

    if (slot == nullptr)
        return false;

    clearSavedBpmState();
    slotViewModel->setSelectedSlot (slotIndex);
    slotDetailViewModel->updateFromSlot (slotIndex, slot, false, true);
    return true;
}

bool VantorService::swapSlots (const int& a, const int& b)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (!editingViewModelsAttached())
        return false;

    auto* bank = getCurrentBank();

    if (bank == nullptr || getCurrentBankSlot (a) == nullptr || getCurrentBankSlot (b) == nullptr)
        return false;

    auto* selectedBefore = getCurrentBankSlot (getSelectedSlot());
    auto& slots = bank->getSlotList();
    slots.slots.swap (a, b);
    slots.sendChangeMessage();

    for (auto index : {a, b})
        if (!mayLoop (index))
            slots[index]->setLoop (false);

    slotViewModel->updateSlot (slots[a], a);
    slotViewModel->updateSlot (slots[b], b);
    slotPadViewModel->updateSlot (slots[a], a);
    slotPadViewModel->updateSlot (slots[b], b);
    slotViewModel->setSelectedSlot (b);

    // The selection moves to b; the saved BPM state belongs to the SLOT that was selected.
    if (getCurrentBankSlot (b) != selectedBefore)
        clearSavedBpmState();

    return true;
}

void VantorService::pushSlotReplaced (int slotIndex, WyxSlot& slot, bool alwaysReloadDetail)
{
    slotViewModel->updateSlot (&slot, slotIndex);

    const auto selected = slotIndex == getSelectedSlot();

    // The SLOT's content is new: a BPM and range saved for the old content must not come back.
    if (selected)
        clearSavedBpmState();

    if (selected || alwaysReloadDetail)
        slotDetailViewModel->updateFromSlot (slotIndex, &slot, false, true);

    slotPadViewModel->updateSlot (&slot, slotIndex);
    pushCurrentBankTotal();
}

bool VantorService::clearSlot (const int& slotIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD

    auto* slot = getEditableSlot (slotIndex);

    if (slot == nullptr)
        return false;

    slot->clear();
    pushSlotReplaced (slotIndex, *slot, false);
    return true;
}

bool VantorService::cutSlot (const int& slotIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD
    ScopedErrorMessage message (*this);

    if (clipboard == nullptr)
        return false;

    auto* slot = getEditableSlot (slotIndex);

    if (slot == nullptr)
        return false;

    if (!storeClip (slot->cloneToTemp().get(), ClipboardInfo::slot, slot->getName()))
        return message.fail (MessageCode::fileMissing);

    slot->clear();
    pushSlotReplaced (slotIndex, *slot, false);
    return true;
}

bool VantorService::copySlot (const int& slotIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD
    ScopedErrorMessage message (*this);

    if (model == nullptr || bankViewModel == nullptr || clipboard == nullptr)
        return false;

    auto* slot = getCurrentBankSlot (slotIndex);

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
    auto* slot = getEditableSlot (slotIndex);

    if (clip == nullptr || slot == nullptr || !slot->copyFrom (clip))
        return false;

    if (!mayLoop (slotIndex))
        slot->setLoop (false);

    pushSlotReplaced (slotIndex, *slot, true);
    return true;
}

bool VantorService::renameSlot (const int& slotIndex, const juce::String& name)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (slotViewModel == nullptr || slotDetailViewModel == nullptr)
        return false;

    auto* slot = getCurrentBankSlot (slotIndex);

    if (slot == nullptr)
        return false;

    const auto cut = cutName (name);
    slot->setName (cut);
    slotViewModel->setSlotName (cut, slot::SlotIndex (slotIndex));
    return true;
}

} // namespace vantor::service
