#pragma once

#include "vantor/placeholder/PlaceholderView.h"
#include "vantor/slot_detail/SlotDetailObserver.h"
#include "vantor/slot_detail/SlotDetailViewModel.h"

namespace vantor::placeholder
{
/** The SLOT detail editor's stand-in: observes the selected SLOT's details. */
class PlaceholderSlotDetailView : public PlaceholderView, public slot_detail::SlotDetailObserver
{
public:
    explicit PlaceholderSlotDetailView (slot_detail::SlotDetailViewModel& viewModelToUse)
        : PlaceholderView ("SLOT EDIT")
        , viewModel (viewModelToUse)
    {
        viewModel.addListener (this);
    }

    ~PlaceholderSlotDetailView() override { viewModel.removeListener (this); }

    void slotDetailChanged (const slot_detail::SlotDetailState& state, bool) override
    {
        ++notifications;
        lines = {"SLOT " + juce::String (state.slotIndex + 1)};
        repaint();
    }
    void slotDetailReloaded (const slot_detail::SlotDetailState& state) override
    {
        slotDetailChanged (state, false);
    }
    void startTimeChanged (double) override { ++notifications; }
    void endTimeChanged (double) override { ++notifications; }
    void loopModeChanged (bool) override { ++notifications; }
    void gainDbChanged (float) override { ++notifications; }
    void beatsChanged (double) override { ++notifications; }
    void bpmChanged (double) override { ++notifications; }
    void bpmCalculated (double) override { ++notifications; }

    int notifications = 0;

private:
    slot_detail::SlotDetailViewModel& viewModel;
};
} // namespace vantor::placeholder
