#pragma once

#include "vantor/slot_detail/ISlotDetailCommandDispathcer.h"
#include "vantor/slot_detail/SlotDetailObserver.h"

#include <juce_events/juce_events.h>

namespace vantor::dataset
{
class WyxSlot;
}

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::slot_detail
{
/** Value copy of the selected SLOT for the detail editor, and the editor's way to change it.

    The editor holds this object only as ISlotDetailCommandDispathcer (the dispatcher operations
    are private here, so the service, which holds the concrete class, cannot call back into
    itself through a command). The service writes new values through the update operations below,
    which store them and notify the observers synchronously.

    Threads: message thread only. */
class SlotDetailViewModel : public ISlotDetailCommandDispathcer
{
public:
    /** The service outlives the view model. */
    explicit SlotDetailViewModel (service::IVantorDataMediator* service);
    ~SlotDetailViewModel() override;

    /** Adds the observer (not twice) and at once sends it alone the current state. */
    void addListener (SlotDetailObserver* observer);
    void removeListener (SlotDetailObserver* observer);

    const SlotDetailState& getState() const noexcept { return state; }
    double getBeats() const noexcept { return state.beats; }

    // Update operations, called by the service with values it has already limited.

    /** Refills the whole state from the SLOT (never null); the calculation mode ends. */
    void updateFromSlot (const int& slotIndex, dataset::WyxSlot* slot, bool audioFileChanged, bool notify);
    /** updateFromSlot without notification, then slotDetailReloaded. */
    void reloadFromSlot (const int& slotIndex, dataset::WyxSlot* slot);
    /** Raises the end when it was smaller; notifies only the start. */
    void setStartTime (const double& seconds);
    /** Lowers the start when it was larger; notifies only the end. */
    void setEndTime (const double& seconds);
    void setLoopMode (const bool& loop);
    void setGainDb (const float& gainDb);
    void setBeats (const int& beatsX100);
    void setBpm (const int& bpmX100);
    /** Stored without notification. */
    void setCalcBpmMode (const bool& on);
    /** Tells the observers of a computed BPM; the state keeps its own BPM. */
    void notifyBpmCalculated (const int& bpmX100);

private:
    void changeBpm (const int& bpmX100) override;
    void changeBeats (const int& beatsX100) override;
    void halveBeats (const int& beatsX100) override;
    void doubleBeats (const int& beatsX100) override;
    void changeStartTime (const double& seconds) override;
    void changeEndTime (const double& seconds) override;
    void changeTimeRange (const double& startSeconds, const double& endSeconds) override;
    void changeGainDb (const float& gainDb) override;
    void changeLoopMode (const bool& loop) override;
    void changeCalcBpmMode (const bool& on) override;
    void calcBpm (const int& beatsX100) override;

    juce::ListenerList<SlotDetailObserver> listeners;
    service::IVantorDataMediator* service;
    SlotDetailState state;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SlotDetailViewModel)
};
} // namespace vantor::slot_detail
