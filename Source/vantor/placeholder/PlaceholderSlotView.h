#pragma once

#include "vantor/placeholder/PlaceholderView.h"
#include "vantor/service/ClipboardObserver.h"
#include "vantor/slot/SlotListState.h"
#include "vantor/slot/SlotObserver.h"
#include "vantor/slot/SlotPadObserver.h"
#include "vantor/slot/SlotPadViewModel.h"
#include "vantor/slot/SlotViewModel.h"

namespace vantor::placeholder
{
/** One pad's stand-in: observes every pad, as a pad panel does, and keeps all four states. */
class PlaceholderPadPanel : public juce::Component, public slot::SlotPadObserver
{
public:
    PlaceholderPadPanel (slot::SlotPadViewModel& viewModelToUse, int padIndexToUse)
        : padIndex (padIndexToUse)
        , viewModel (viewModelToUse)
    {
        viewModel.addListener (this);
    }

    ~PlaceholderPadPanel() override { viewModel.removeListener (this); }

    void padChanged (int slotIndex, const slot::SlotPadState& state) override
    {
        if (juce::isPositiveAndBelow (slotIndex, (int)pads.size()))
            pads[(size_t)slotIndex] = state;
        ++padChanges;
    }
    void padStartTimeChanged (int, double) override {}
    void padEndTimeChanged (int, double) override {}
    void padLoopModeChanged (int, bool) override {}
    void padGainDbChanged (int, float) override {}

    void paint (juce::Graphics& g) override
    {
        g.setColour (juce::Colour (0xff3a3a3a));
        g.fillRoundedRectangle (getLocalBounds().toFloat().reduced (2.0f), 4.0f);
        g.setColour (juce::Colours::white);
        g.drawText (juce::String::charToString ((juce::juce_wchar) ('A' + padIndex)), getLocalBounds(),
                    juce::Justification::centred, false);
    }

    const int padIndex;
    std::array<slot::SlotPadState, slot::SlotPadViewModel::padCount> pads;
    int padChanges = 0;

private:
    slot::SlotPadViewModel& viewModel;
};

/** The SLOT table's stand-in with its four pad panels: observes the SLOT list, the pads and the
    clipboard as the table will. */
class PlaceholderSlotView : public PlaceholderView,
                            public slot::SlotObserver,
                            public service::ClipboardObserver
{
public:
    PlaceholderSlotView (slot::SlotViewModel& viewModelToUse, slot::SlotPadViewModel& padViewModel,
                         ClipboardLink clipboardLinkToUse)
        : PlaceholderView ("SLOT")
        , viewModel (viewModelToUse)
        , clipboardLink (std::move (clipboardLinkToUse))
    {
        viewModel.addListener (this);
        if (clipboardLink)
            clipboardLink (this, true);
        for (int i = 0; i < slot::SlotPadViewModel::padCount; ++i)
            addAndMakeVisible (pads.add (new PlaceholderPadPanel (padViewModel, i)));
    }

    ~PlaceholderSlotView() override
    {
        pads.clear();
        if (clipboardLink)
            clipboardLink (this, false);
        viewModel.removeListener (this);
    }

    void resized() override
    {
        auto row = getLocalBounds().reduced (8).removeFromBottom (60);
        const auto width = row.getWidth() / juce::jmax (1, pads.size());
        for (auto* pad : pads)
            pad->setBounds (row.removeFromLeft (width));
    }

    void slotListChanged (const std::unique_ptr<slot::SlotListState>& state) override
    {
        ++notifications;
        if (state == nullptr)
            return;
        lines.clear();
        for (const auto& row : state->rows)
            lines.add (row.name.isEmpty() ? juce::String ("-") : row.name);
        repaint();
    }
    void slotChanged (int, bool, const juce::String&, double, bool) override { ++notifications; }
    void slotNameChanged (int, const juce::String&) override { ++notifications; }
    void slotLengthChanged (int, double) override { ++notifications; }
    void slotLoopModeChanged (int, bool) override { ++notifications; }
    void selectedSlotChanged (int) override { ++notifications; }
    void clipboardChanged (const service::ClipboardInfo&) override { ++clipboardNotifications; }

    juce::OwnedArray<PlaceholderPadPanel> pads;
    int notifications = 0;
    int clipboardNotifications = 0;

private:
    slot::SlotViewModel& viewModel;
    ClipboardLink clipboardLink;
};
} // namespace vantor::placeholder
