#pragma once

#include "vantor/slot/SlotListState.h"

#include <memory>

namespace vantor::slot
{
/** Told synchronously, on the message thread, of every change of the SLOT list view model. */
class SlotObserver
{
public:
    virtual ~SlotObserver() = default;

    /** The snapshot is deleted after the call; copy what is needed. */
    virtual void slotListChanged (const std::unique_ptr<SlotListState>& state) = 0;
    virtual void slotChanged (int slotIndex, bool hasAudio, const juce::String& name, double lengthSeconds,
                              bool loop) = 0;
    /** Kept for the order of the notifications; never sent. */
    virtual void reservedNotification() {}
    virtual void slotNameChanged (int slotIndex, const juce::String& name) = 0;
    virtual void slotLengthChanged (int slotIndex, double lengthSeconds) = 0;
    virtual void slotLoopModeChanged (int slotIndex, bool loop) = 0;
    virtual void selectedSlotChanged (int slotIndex) = 0;
};
} // namespace vantor::slot
