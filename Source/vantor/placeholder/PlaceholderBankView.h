#pragma once

#include "vantor/bank/BankListState.h"
#include "vantor/bank/BankObserver.h"
#include "vantor/bank/BankViewModel.h"
#include "vantor/placeholder/PlaceholderView.h"
#include "vantor/service/ClipboardObserver.h"

namespace vantor::placeholder
{
/** The BANK table's stand-in: observes the BANK list and the clipboard as the table will. */
class PlaceholderBankView : public PlaceholderView,
                            public bank::BankObserver,
                            public service::ClipboardObserver
{
public:
    PlaceholderBankView (bank::BankViewModel& viewModelToUse, ClipboardLink clipboardLinkToUse)
        : PlaceholderView ("BANK")
        , viewModel (viewModelToUse)
        , clipboardLink (std::move (clipboardLinkToUse))
    {
        viewModel.addListener (this);
        if (clipboardLink)
            clipboardLink (this, true);
    }

    ~PlaceholderBankView() override
    {
        if (clipboardLink)
            clipboardLink (this, false);
        viewModel.removeListener (this);
    }

    void bankListChanged (const std::unique_ptr<bank::BankListState>& state) override
    {
        current = state != nullptr ? state->currentBank : 0;
        ++notifications;
        show();
    }
    void bankChanged (int, const juce::String&, double) override { ++notifications; }
    void bankNameChanged (int, const juce::String&) override { ++notifications; }
    void bankTotalTimeChanged (int, double) override { ++notifications; }
    void favoriteBankChanged (int) override { ++notifications; }
    void currentBankChanged (int bankIndex) override
    {
        current = bankIndex;
        ++notifications;
        show();
    }
    void clipboardChanged (const service::ClipboardInfo&) override { ++clipboardNotifications; }

    int current = 0;
    int notifications = 0;
    int clipboardNotifications = 0;

private:
    void show()
    {
        lines = {"current BANK " + juce::String (current + 1)};
        repaint();
    }

    bank::BankViewModel& viewModel;
    ClipboardLink clipboardLink;
};
} // namespace vantor::placeholder
