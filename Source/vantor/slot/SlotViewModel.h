#pragma once

#include "vantor/slot/ISlotCommandDispatcher.h"
#include "vantor/slot/SlotIndex.h"
#include "vantor/slot/SlotObserver.h"

#include <juce_events/juce_events.h>

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
/** Value copy of the four SLOT rows of the current BANK and the selected SLOT, and the SLOT
    table's way to change them.

    The table holds this object only as ISlotCommandDispatcher. The dispatcher operations are
    private here: the service, which holds the concrete class, sets the selection with
    setSelectedSlot and can never run a SelectSlotCmd back into itself. The update operations
    store values and notify the observers synchronously; indexes outside 0..3 are ignored.

    Threads: message thread only. */
class SlotViewModel : public ISlotCommandDispatcher
{
public:
    static constexpr int rowCount = 4;

    /** The service outlives the view model. */
    explicit SlotViewModel (service::IVantorDataMediator* service);
    ~SlotViewModel() override;

    /** Adds the observer (not twice) and at once sends it alone a snapshot. */
    void addListener (SlotObserver* observer);
    /** Safe during a notification. */
    void removeListener (SlotObserver* observer);

    int getSelectedSlot() const noexcept { return selectedSlot; }
    const SlotRowInfo& getRow (int slotIndex) const { return rows.at ((size_t)slotIndex); }

    // Update operations, called by the service.

    /** Refills the rows from the list, stopping at a missing entry (then nobody is told); the
        selection is kept. */
    void updateFromSlotList (const dataset::WyxSlotList& list, bool notify);
    /** Refills one row from the SLOT (never null) and sends slotChanged. */
    void updateSlot (dataset::WyxSlot* slot, const int& slotIndex);
    /** Notifies also when the selection did not change. */
    void setSelectedSlot (const int& slotIndex);
    void setSlotName (const juce::String& name, SlotIndex slotIndex);
    void setSlotLength (const double& lengthSeconds, SlotIndex slotIndex);
    void setSlotLoopMode (const bool& loop, SlotIndex slotIndex);

    /** The row values of a SLOT, as the table shows them. */
    static SlotRowInfo makeRow (const dataset::WyxSlot& slot);

private:
    void assignAudio (const int& slotIndex, const juce::File& file) override;
    void selectSlot (const int& slotIndex) override;
    void swapSlot (const int& fromIndex, const int& toIndex) override;
    void deleteSlot (const int& slotIndex) override;
    void cutSlot (const int& slotIndex) override;
    void copySlot (const int& slotIndex) override;
    void pasteSlot (const int& slotIndex) override;
    void changeSlotName (const int& slotIndex, const juce::String& name) override;

    std::unique_ptr<SlotListState> makeSnapshot() const;

    juce::ListenerList<SlotObserver> listeners;
    service::IVantorDataMediator* service;
    int selectedSlot = 0;
    std::array<SlotRowInfo, rowCount> rows;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SlotViewModel)
};
} // namespace vantor::slot
