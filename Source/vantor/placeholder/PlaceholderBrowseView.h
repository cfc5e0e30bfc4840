#pragma once

#include "vantor/browse/BrowseObserver.h"
#include "vantor/browse/BrowseViewModel.h"
#include "vantor/placeholder/PlaceholderView.h"

namespace vantor::placeholder
{
/** The browser pane's stand-in: its bank-collection page observes the collection. */
class PlaceholderBrowseView : public PlaceholderView, public browse::BrowseObserver
{
public:
    explicit PlaceholderBrowseView (browse::BrowseViewModel& viewModelToUse)
        : PlaceholderView ("Sample Browser")
        , viewModel (viewModelToUse)
    {
        viewModel.addObserver (this);
    }

    ~PlaceholderBrowseView() override { viewModel.removeObserver (this); }

    void bankCollectionChanged (const std::vector<browse::BankCollectionItem>& items) override
    {
        itemCount = (int)items.size();
        ++notifications;
        lines = {juce::String (itemCount) + " stored BANKs"};
        repaint();
    }
    void bankCollectionItemChanged (int, const juce::String&, double) override { ++notifications; }
    void bankCollectionItemRenamed (int, const juce::String&) override { ++notifications; }
    void bankCollectionItemSelected (int) override { ++notifications; }

    int itemCount = 0;
    int notifications = 0;

private:
    browse::BrowseViewModel& viewModel;
};
} // namespace vantor::placeholder
