#pragma once

#include "vantor/dataset/WyxBank.h"

namespace vantor::dataset
{
/** The working model's BANKs in BANK order. Its BANK objects are never replaced, only
    reordered: whoever swaps two entries of banks calls sendChangeMessage. */
class WyxBankList : public juce::ChangeBroadcaster
{
public:
    WyxBankList();
    ~WyxBankList() override;

    int size() const noexcept { return banks.size(); }
    WyxBank* operator[] (int index) const noexcept { return banks[index].get(); }

    juce::ReferenceCountedArray<WyxBank> banks;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WyxBankList)
};
} // namespace vantor::dataset
