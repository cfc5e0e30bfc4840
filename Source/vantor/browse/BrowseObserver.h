#pragma once

#include "vantor/browse/BankCollectionItem.h"

#include <vector>

namespace vantor::browse
{
/** Told synchronously, on the message thread, of every change of the bank-collection list. */
class BrowseObserver
{
public:
    virtual ~BrowseObserver() = default;

    /** The whole list; its length may have changed. */
    virtual void bankCollectionChanged (const std::vector<BankCollectionItem>& items) = 0;
    /** One row replaced; the length is unchanged. */
    virtual void bankCollectionItemChanged (int index, const juce::String& name, double seconds) = 0;
    virtual void bankCollectionItemRenamed (int index, const juce::String& name) = 0;
    /** The row to select after a save or a move. */
    virtual void bankCollectionItemSelected (int index) = 0;
};
} // namespace vantor::browse
