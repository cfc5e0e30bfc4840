#pragma once

#include "vantor/slot/SlotPadState.h"

namespace vantor::slot
{
/** Told synchronously, on the message thread, of every change of a pad. Every notification goes
    to every pad; each acts only on its own index. */
class SlotPadObserver
{
public:
    virtual ~SlotPadObserver() = default;

    virtual void padChanged (int slotIndex, const SlotPadState& state) = 0;
    virtual void padStartTimeChanged (int slotIndex, double seconds) = 0;
    virtual void padEndTimeChanged (int slotIndex, double seconds) = 0;
    virtual void padLoopModeChanged (int slotIndex, bool loop) = 0;
    virtual void padGainDbChanged (int slotIndex, float gainDb) = 0;
};
} // namespace vantor::slot
