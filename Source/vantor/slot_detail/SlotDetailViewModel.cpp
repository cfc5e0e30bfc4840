#include "vantor/slot_detail/SlotDetailViewModel.h"

#include "vantor/RunCommand.h"
#include "vantor/ViewModelTools.h"
#include "vantor/dataset/FrameTime.h"
#include "vantor/dataset/WyxSlot.h"
#include "vantor/slot_detail/CalcBpmCmd.h"
#include "vantor/slot_detail/ChangeBeatCmd.h"
#include "vantor/slot_detail/ChangeBpmCmd.h"
#include "vantor/slot_detail/ChangeCalcBpmModeCmd.h"
#include "vantor/slot_detail/ChangeEndTimeCmd.h"
#include "vantor/slot_detail/ChangeGainDbCmd.h"
#include "vantor/slot_detail/ChangeLoopModeCmd.h"
#include "vantor/slot_detail/ChangeSlotTimeRangeCmd.h"
#include "vantor/slot_detail/ChangeStartTimeCmd.h"

#include <limits>

namespace vantor::slot_detail
{
SlotDetailViewModel::SlotDetailViewModel (service::IVantorDataMediator* serviceToUse)
    : service (serviceToUse)
{
}

SlotDetailViewModel::~SlotDetailViewModel() = default;

void SlotDetailViewModel::addListener (SlotDetailObserver* observer)
{
    addObserverOnce (listeners, observer,
                     [this] (SlotDetailObserver& o) { o.slotDetailChanged (state, false); });
}

void SlotDetailViewModel::removeListener (SlotDetailObserver* observer)
{
    listeners.remove (observer);
}

void SlotDetailViewModel::updateFromSlot (const int& slotIndex, dataset::WyxSlot* slot, bool audioFileChanged,
                                          bool notify)
{
    JUCE_ASSERT_MESSAGE_THREAD
    jassert (slot != nullptr);

    if (slot == nullptr)
        return;

    state.slotIndex = slotIndex;
    state.audioFile = slot->getFile();

    const auto& info = slot->getFileInfo();

    const auto seconds = dataset::FrameTime::toSeconds (slot->getRange(), info.sampleRate);
    state.fileLengthSeconds = dataset::FrameTime::toSeconds (info.sampleCount, info.sampleRate);
    state.startSeconds = seconds.start;
    state.endSeconds = seconds.end;

    state.loop = slot->isLoop();
    state.gainDb = slot->getGainDb();
    state.beats = (double)slot->getBeatLength();
    // In double, so that 12345 stays 123.45 and converts back to the same hundredths.
    state.bpm = slot->getBpm() / 100.0;
    state.calcBpmMode = false;

    if (notify)
        listeners.call ([this, audioFileChanged] (SlotDetailObserver& o)
                        { o.slotDetailChanged (state, audioFileChanged); });
}

void SlotDetailViewModel::reloadFromSlot (const int& slotIndex, dataset::WyxSlot* slot)
{
    updateFromSlot (slotIndex, slot, false, false);
    listeners.call ([this] (SlotDetailObserver& o) { o.slotDetailReloaded (state); });
}

void SlotDetailViewModel::setStartTime (const double& seconds)
{
    state.startSeconds = seconds;

    if (seconds > state.endSeconds)
        state.endSeconds = seconds;

    listeners.call ([seconds] (SlotDetailObserver& o) { o.startTimeChanged (seconds); });
}

void SlotDetailViewModel::setEndTime (const double& seconds)
{
    state.endSeconds = seconds;

    if (seconds < state.startSeconds)
        state.startSeconds = seconds;

    listeners.call ([seconds] (SlotDetailObserver& o) { o.endTimeChanged (seconds); });
}

void SlotDetailViewModel::setLoopMode (const bool& loop)
{
    state.loop = loop;
    listeners.call ([loop] (SlotDetailObserver& o) { o.loopModeChanged (loop); });
}

void SlotDetailViewModel::setGainDb (const float& gainDb)
{
    state.gainDb = gainDb;
    listeners.call ([gainDb] (SlotDetailObserver& o) { o.gainDbChanged (gainDb); });
}

void SlotDetailViewModel::setBeats (const int& beatsX100)
{
    state.beats = beatsX100 / 100.0;
    listeners.call ([this] (SlotDetailObserver& o) { o.beatsChanged (state.beats); });
}

void SlotDetailViewModel::setBpm (const int& bpmX100)
{
    state.bpm = bpmX100 / 100.0;
    listeners.call ([this] (SlotDetailObserver& o) { o.bpmChanged (state.bpm); });
}

void SlotDetailViewModel::setCalcBpmMode (const bool& on)
{
    state.calcBpmMode = on;
}

void SlotDetailViewModel::notifyBpmCalculated (const int& bpmX100)
{
    const double bpm = bpmX100 / 100.0;
    listeners.call ([bpm] (SlotDetailObserver& o) { o.bpmCalculated (bpm); });
}

void SlotDetailViewModel::changeBpm (const int& bpmX100)
{
    runCommand<ChangeBpmCmd> (service, bpmX100);
}

void SlotDetailViewModel::changeBeats (const int& beatsX100)
{
    runCommand<ChangeBeatCmd> (service, beatsX100, false);
}

void SlotDetailViewModel::halveBeats (const int& beatsX100)
{
    // Truncated toward zero: halving 0.03 beats gives 0.01, halving 0.01 gives 0 (refused).
    runCommand<ChangeBeatCmd> (service, (int)(beatsX100 * 0.5), true);
}

void SlotDetailViewModel::doubleBeats (const int& beatsX100)
{
    // Widened first: a count near the limit of int stays at the limit instead of overflowing.
    const auto doubled =
        juce::jlimit ((juce::int64)std::numeric_limits<int>::min(),
                      (juce::int64)std::numeric_limits<int>::max(), (juce::int64)beatsX100 * 2);
    runCommand<ChangeBeatCmd> (service, (int)doubled, true);
}

void SlotDetailViewModel::changeStartTime (const double& seconds)
{
    runCommand<ChangeStartTimeCmd> (service, seconds);
}

void SlotDetailViewModel::changeEndTime (const double& seconds)
{
    runCommand<ChangeEndTimeCmd> (service, seconds);
}

void SlotDetailViewModel::changeTimeRange (const double& startSeconds, const double& endSeconds)
{
    runCommand<ChangeSlotTimeRangeCmd> (service, startSeconds, endSeconds);
}

void SlotDetailViewModel::changeGainDb (const float& gainDb)
{
    runCommand<ChangeGainDbCmd> (service, gainDb);
}

void SlotDetailViewModel::changeLoopMode (const bool& loop)
{
    runCommand<ChangeLoopModeCmd> (service, loop);
}

void SlotDetailViewModel::changeCalcBpmMode (const bool& on)
{
    runCommand<ChangeCalcBpmModeCmd> (service, on);
}

void SlotDetailViewModel::calcBpm (const int& beatsX100)
{
    runCommand<CalcBpmCmd> (service, beatsX100);
}
} // namespace vantor::slot_detail
