#pragma once

#include "vantor/dataset/WyxBank.h"

namespace vantor::dataset
{
/** The one implementation of WyxBank. Threads as for WyxBank. */
class WyxBankImpl : public WyxBank
{
public:
    WyxBankImpl();
    ~WyxBankImpl() override;

    const WyxSlotList& getSlotList() const override { return slotList; }
    WyxSlotList& getSlotList() override { return slotList; }

    juce::String getName() const override { return name; }
    void setName (const juce::String& newName) override;

    bool copyFrom (const WyxBank* other) override;
    Ptr clone (const juce::File& targetFolder) const override;
    Ptr cloneToTemp() const override;

    void reset() override;
    void clear() override;
    void setFolder (const juce::File& newFolder) override;

    juce::String fromVar (const juce::var& bankObject, const juce::File& newFolder) override;
    juce::var toVar (int bankNumber) const override;

private:
    juce::File folder;
    juce::String name;
    WyxSlotList slotList;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WyxBankImpl)
};
} // namespace vantor::dataset
