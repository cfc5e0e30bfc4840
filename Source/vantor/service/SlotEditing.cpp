#include "vantor/service/SlotEditing.h"

#include "common/usage/UsageLogger.h"
#include "vantor/dataset/FrameTime.h"
#include "vantor/service/BpmMath.h"
#include "vantor/service/IndexRules.h"
#include "vantor/service/MessageCode.h"
#include "vantor/service/NameLimit.h"
#include "vantor/service/ScopedErrorMessage.h"
#include "vantor/service/SlotRange.h"
#include "vantor/slot/SlotViewModel.h"
#include "vantor/slot_detail/SlotDetailViewModel.h"

#include <cmath>

namespace vantor::service
{
using dataset::FrameTime;
using dataset::WyxSlot;
using namespace indexrules;

SlotEditing::SlotEditing (ViewModelLinks& linksToUse, ISendErrorMessage& messageTarget,
                          const dataset::WyxDataSet* dataSetToUse)
    : links (linksToUse)
    , messages (messageTarget)
    , dataSet (dataSetToUse)
{
    links.setSelectedContentReplacedCallback ([this] { savedBpmState = {}; });
}

SlotEditing::~SlotEditing()
{
    links.setSelectedContentReplacedCallback (nullptr);
}

//==============================================================================
// Audio

bool SlotEditing::assignAudio (int slotIndex, const juce::File& file)
{
    JUCE_ASSERT_MESSAGE_THREAD
    ScopedErrorMessage message (messages);

    auto* slot = links.getEditableSlot (slotIndex);

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

    const auto name = slot->getName();
    const auto cut = namelimit::cut (name, messages);

    if (cut != name)
        slot->setName (cut);

    if (!mayLoop (slotIndex))
        slot->setLoop (false);

    links.pushNewAudio (slotIndex, *slot);

    const auto factoryFolder = dataSet != nullptr ? dataSet->getFactorySampleFolder() : juce::File();
    common::UsageLogger::logFileInfo (factoryFolder != juce::File() && file.isAChildOf (factoryFolder),
                                      file.getFileExtension(), info.bitRate, info.sampleRate,
                                      info.bitsPerSample);
    return true;
}

//==============================================================================
// BPM and beats

void SlotEditing::saveBpmState (const WyxSlot& slot, double bpm, double sampleRate)
{
    const auto range = slot.getRange();
    savedBpmState = {bpm, FrameTime::toSeconds (range.getStart(), sampleRate),
                     FrameTime::toSeconds (range.getEnd(), sampleRate), true};
}

bool SlotEditing::setSlotBpm (int slotIndex, int bpmX100)
{
    JUCE_ASSERT_MESSAGE_THREAD

    auto* slot = links.getEditableSlot (slotIndex);

    if (slot == nullptr)
        return false;

    const auto bpm = BpmMath::clampBpm (bpmX100 / 100.0);
    const auto stored = BpmMath::toHundredths (bpm);
    slot->setBpm (stored);
    links.detail()->setBpm (stored);

    if (!calcBpmMode)
    {
        links.detail()->setBeats (
            BpmMath::toHundredths (BpmMath::calcBeatsFromBpm (bpm, slot->getTimeLength())));
        return true;
    }

    const auto rate = slot->getFileInfo().sampleRate;

    if (!(rate > 0.0))
        return false;

    // A BPM found in the calculation mode is what leaving the mode keeps, with the range it was
    // found over.
    saveBpmState (*slot, bpm, rate);
    return true;
}

bool SlotEditing::setBpm (int bpmX100)
{
    return setSlotBpm (links.getSelectedSlot(), bpmX100);
}

bool SlotEditing::setBeats (int beatsX100, bool requireBeats)
{
    JUCE_ASSERT_MESSAGE_THREAD
    ScopedErrorMessage message (messages);

    const auto slotIndex = links.getSelectedSlot();
    auto* slot = links.getEditableSlot (slotIndex);

    if (slot == nullptr)
        return false;

    auto* detail = links.detail();
    auto beats = beatsX100 / 100.0;

    if (beats <= 0.0)
    {
        if (requireBeats)
            return message.fail (MessageCode::beatsRequired);

        detail->setBeats (0);
        return false;
    }

    if (calcBpmMode)
    {
        beats = BpmMath::beatsWithinBpmLimits (beats, slot->getTimeLength());
        detail->setBeats (BpmMath::toHundredths (beats));
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
        detail->setStartTime (FrameTime::toSeconds (slot->getRange().getStart(), rate));

    detail->setEndTime (FrameTime::toSeconds (slot->getRange().getEnd(), rate));
    detail->setBeats (BpmMath::toHundredths (beats));
    links.pushSlotRange (slotIndex, *slot, startMoved, true);
    return true;
}

bool SlotEditing::setCalcBpmMode (bool on)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (links.slots() == nullptr || links.detail() == nullptr)
        return false;

    const auto slotIndex = links.getSelectedSlot();
    auto* slot = links.getCurrentBankSlot (slotIndex);

    if (slot == nullptr)
        return false;

    calcBpmMode = on;
    const auto file = slot->getFile();

    if (file != juce::File() && file.exists())
    {
        const auto rate = slot->getFileInfo().sampleRate;

        if (!(rate > 0.0))
            return false;

        if (on)
            saveBpmState (*slot, slot->getBpm() / 100.0, rate);
        else if (savedBpmState.valid)
            restoreSavedBpmState (slotIndex, *slot, rate);
    }

    links.detail()->setCalcBpmMode (on);
    return true;
}

void SlotEditing::restoreSavedBpmState (int slotIndex, WyxSlot& slot, double sampleRate)
{
    const auto saved = savedBpmState;
    const auto bpm = BpmMath::toHundredths (saved.bpm);
    // Rounded: the seconds were made from these very frames.
    const auto startFrame = (juce::int64)std::llround (sampleRate * saved.startSeconds);
    const auto endFrame = juce::jmax (startFrame, (juce::int64)std::llround (sampleRate * saved.endSeconds));

    slot.setBpm (bpm);
    slot.setRange ({startFrame, endFrame});

    auto* detail = links.detail();
    detail->setBpm (bpm);
    detail->setBeats (
        BpmMath::toHundredths (BpmMath::calcBeatsFromBpm (saved.bpm, saved.endSeconds - saved.startSeconds)));
    detail->setStartTime (saved.startSeconds);
    detail->setEndTime (saved.endSeconds);
    savedBpmState = {};

    // The range went back, so the table, the pad and the BANK total follow it.
    if (links.bank() != nullptr && links.pads() != nullptr)
        links.pushSlotRange (slotIndex, slot, true, true);
}

bool SlotEditing::calculateBpm (int beatsX100)
{
    JUCE_ASSERT_MESSAGE_THREAD
    ScopedErrorMessage message (messages);

    if (links.slots() == nullptr || links.detail() == nullptr || !calcBpmMode)
        return false;

    const auto beats = beatsX100 / 100.0;

    if (beats <= 0.0)
        return message.fail (MessageCode::beatsRequired);

    auto* slot = links.getCurrentBankSlot (links.getSelectedSlot());

    if (slot == nullptr)
        return false;

    const auto bpm = BpmMath::clampBpm (BpmMath::calcBpmFromBeats (beats, slot->getTimeLength()));
    links.detail()->notifyBpmCalculated (BpmMath::toHundredths (bpm));
    return true;
}

void SlotEditing::pushBeatsAtStoredBpm (const WyxSlot& slot)
{
    links.detail()->setBeats (
        BpmMath::toHundredths (BpmMath::calcBeatsFromBpm (slot.getBpm() / 100.0, slot.getTimeLength())));
}

//==============================================================================
// The range

WyxSlot* SlotEditing::getSlotForRangeEdit (int slotIndex) const
{
    auto* slot = links.getEditableSlot (slotIndex);
    return slot != nullptr && slot->getFileInfo().sampleRate > 0.0 ? slot : nullptr;
}

bool SlotEditing::moveRangeSide (int slotIndex, double seconds, bool startSide)
{
    auto* slot = getSlotForRangeEdit (slotIndex);

    if (slot == nullptr)
        return false;

    const auto rate = slot->getFileInfo().sampleRate;
    const auto fileFrames = slot->getFileInfo().sampleCount;
    const auto frame = FrameTime::toFrames (seconds, rate);

    // A start before the file or an end beyond it names no place in the file: refused.
    if (!SlotRange::isTime (seconds) || (startSide ? frame < 0 : frame > fileFrames))
        return false;

    const auto old = slot->getRange();
    const auto minLength = SlotRange::minimumLength (rate);
    auto range = startSide ? SlotRange::withMovedStart (frame, old.getEnd(), minLength, fileFrames)
                           : SlotRange::withMovedEnd (old.getStart(), frame, minLength, fileFrames);

    if (calcBpmMode)
    {
        const auto length =
            SlotRange::lengthWithinBpmLimits (links.detail()->getBeats(), range.getLength(), rate);

        // The length the beats allow is measured from the side the user did not move.
        if (length >= 0)
            range = startSide ? SlotRange::endingAt (range.getEnd(), length, fileFrames)
                              : SlotRange::startingAt (range.getStart(), length, fileFrames);
    }

    storeRangeWithMovedSide (slotIndex, *slot, range, startSide);
    return true;
}

void SlotEditing::storeRangeWithMovedSide (int slotIndex, WyxSlot& slot, juce::Range<juce::int64> range,
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
        links.detail()->setStartTime (FrameTime::toSeconds (stored.getStart(), rate));

    if (endMoved)
        links.detail()->setEndTime (FrameTime::toSeconds (stored.getEnd(), rate));

    // In the calculation mode the beats are the user's input, not a result of the range.
    if (!calcBpmMode)
        pushBeatsAtStoredBpm (slot);

    links.pushSlotRange (slotIndex, slot, startMoved, endMoved);
}

bool SlotEditing::setSlotStartTime (int slotIndex, double seconds)
{
    JUCE_ASSERT_MESSAGE_THREAD
    return moveRangeSide (slotIndex, seconds, true);
}

bool SlotEditing::setStartTime (double seconds)
{
    return setSlotStartTime (links.getSelectedSlot(), seconds);
}

bool SlotEditing::setSlotEndTime (int slotIndex, double seconds)
{
    JUCE_ASSERT_MESSAGE_THREAD
    return moveRangeSide (slotIndex, seconds, false);
}

bool SlotEditing::setEndTime (double seconds)
{
    return setSlotEndTime (links.getSelectedSlot(), seconds);
}

bool SlotEditing::setSlotTimeRange (int slotIndex, double start, double end)
{
    JUCE_ASSERT_MESSAGE_THREAD

    auto* slot = getSlotForRangeEdit (slotIndex);

    if (slot == nullptr)
        return false;

    const auto rate = slot->getFileInfo().sampleRate;
    const auto fileFrames = slot->getFileInfo().sampleCount;

    if (!SlotRange::isTime (start) || !SlotRange::isTime (end))
        return false;

    const auto requestedStart = FrameTime::toFrames (start, rate);

    if (requestedStart < 0 || juce::jmax (requestedStart, FrameTime::toFrames (end, rate)) > fileFrames)
        return false;

    auto seconds = SlotRange::withMinimumLength ({start, end}, rate, fileFrames);
    auto startFrame = FrameTime::toFrames (seconds.start, rate);
    auto endFrame = FrameTime::toFrames (seconds.end, rate);
    auto* detail = links.detail();

    if (calcBpmMode)
    {
        const auto length =
            SlotRange::lengthWithinBpmLimits (detail->getBeats(), endFrame - startFrame, rate);

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
        detail->setStartTime (FrameTime::toSeconds (startFrame, rate));
        detail->setEndTime (FrameTime::toSeconds (endFrame, rate));
    }
    else
    {
        detail->setStartTime (seconds.start);
        detail->setEndTime (seconds.end);
        detail->setBeats (BpmMath::toHundredths (
            BpmMath::calcBeatsFromBpm (slot->getBpm() / 100.0, seconds.end - seconds.start)));
    }

    links.pushSlotTimes (slotIndex, seconds.start, seconds.end);
    return true;
}

bool SlotEditing::setTimeRange (double start, double end)
{
    return setSlotTimeRange (links.getSelectedSlot(), start, end);
}

//==============================================================================
// Gain and loop

bool SlotEditing::setSlotGainDb (int slotIndex, float db)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (std::isnan (db))
        return false;

    auto* slot = links.getEditableSlot (slotIndex);

    if (slot == nullptr)
        return false;

    const auto gain = juce::jmax (juce::jmin (db, 9.0f), -18.0f);
    slot->setGainDb (gain);
    links.pushSlotGain (slotIndex, gain);
    return true;
}

bool SlotEditing::setGainDb (float db)
{
    return setSlotGainDb (links.getSelectedSlot(), db);
}

bool SlotEditing::setSlotLoop (int slotIndex, bool loop)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (links.slots() == nullptr || links.pads() == nullptr || links.detail() == nullptr ||
        !mayLoop (slotIndex))
        return false;

    auto* slot = links.getCurrentBankSlot (slotIndex);

    if (slot == nullptr)
        return false;

    slot->setLoop (loop);
    links.pushSlotLoop (slotIndex, loop);
    return true;
}

bool SlotEditing::setLoop (bool loop)
{
    return setSlotLoop (links.getSelectedSlot(), loop);
}
} // namespace vantor::service
