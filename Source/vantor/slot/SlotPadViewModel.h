#pragma once

#include "vantor/slot/ISlotPadCommandDispatcher.h"
#include "vantor/slot/SlotIndex.h"
#include "vantor/slot/SlotPadObserver.h"

#include <juce_events/juce_events.h>

#include <array>

namespace vantor::dataset
{
class WyxSlot;
class WyxSlotList;
} // namespace vantor::dataset

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::slot
{
/** Value copies of the four pads of the current BANK, and the pads' way to change them.

    The pads hold this object only as ISlotPadCommandDispatcher (the dispatcher operations are
    private here). The update operations store values and notify the observers synchronously;
    indexes outside 0..3 are ignored.

    Threads: message thread only. */
class SlotPadViewModel : public ISlotPadCommandDispatcher
{
public:
    static constexpr int padCount = 4;

    /** The service outlives the view model. */
    explicit SlotPadViewModel (service::IVantorDataMediator* service);
    ~SlotPadViewModel() override;

    /** Adds the observer (not twice) and at once sends it alone padChanged for pads 0..3. */
    void addListener (SlotPadObserver* observer);
    /** Safe during a notification. */
    void removeListener (SlotPadObserver* observer);

    const SlotPadState& getPad (int slotIndex) const { return pads.at ((size_t)slotIndex); }

    // Update operations, called by the service.

    /** Refills the pads from the list, stopping at a missing entry (then nobody is told). */
    void updateFromSlotList (const dataset::WyxSlotList& slots, bool notify);
    /** Refills one pad from the SLOT (never null) and sends padChanged. */
    void updateSlot (dataset::WyxSlot* slot, const int& slotIndex);
    /** Raises the end when it was smaller; notifies only the start. */
    void setStartTime (const double& seconds, SlotIndex slotIndex);
    /** Lowers the start when it was larger; notifies only the end. */
    void setEndTime (const double& seconds, SlotIndex slotIndex);
    void setLoopMode (const bool& loop, SlotIndex slotIndex);
    void setGainDb (const float& gainDb, SlotIndex slotIndex);

    /** The pad values of a SLOT. */
    static SlotPadState makePad (const dataset::WyxSlot& slot);

private:
    void assignAudio (const int& slotIndex, const juce::File& file) override;
    void changeGainDb (const int& slotIndex, const float& gainDb) override;

    SlotPadState* findPad (SlotIndex slotIndex);

    juce::ListenerList<SlotPadObserver> listeners;
    service::IVantorDataMediator* service;
    std::array<SlotPadState, padCount> pads;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SlotPadViewModel)
};
} // namespace vantor::slot
