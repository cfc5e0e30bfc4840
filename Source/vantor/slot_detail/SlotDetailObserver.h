#pragma once

#include "vantor/slot_detail/SlotDetailState.h"

namespace vantor::slot_detail
{
/** Told synchronously, on the message thread, of every change of the detail view model. The
    single-value notifications carry only their own value: when a new start also raised the end,
    only startTimeChanged is sent. */
class SlotDetailObserver
{
public:
    virtual ~SlotDetailObserver() = default;

    /** audioFileChanged: the SLOT's WAV was newly written (a sample assigned or loaded). */
    virtual void slotDetailChanged (const SlotDetailState& state, bool audioFileChanged) = 0;
    /** The whole state after the data set was reloaded from disk. */
    virtual void slotDetailReloaded (const SlotDetailState& state) = 0;
    /** Kept for the order of the notifications; never sent. */
    virtual void reservedNotification() {}
    virtual void startTimeChanged (double startSeconds) = 0;
    virtual void endTimeChanged (double endSeconds) = 0;
    virtual void loopModeChanged (bool loop) = 0;
    virtual void gainDbChanged (float gainDb) = 0;
    virtual void beatsChanged (double beats) = 0;
    virtual void bpmChanged (double bpm) = 0;
    /** A computed BPM, not yet applied to the SLOT. */
    virtual void bpmCalculated (double bpm) = 0;
};
} // namespace vantor::slot_detail
