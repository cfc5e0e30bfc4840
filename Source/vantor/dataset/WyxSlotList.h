#pragma once

#include "vantor/dataset/WyxSlot.h"

namespace vantor::dataset
{
/** The four SLOTs of a BANK; a SLOT's position is its SLOT index 0..3. The list never grows or
    shrinks and its SLOT objects are never replaced, only reordered: whoever swaps two entries of
    slots calls sendChangeMessage so that listeners learn of the new order. */
class WyxSlotList : public juce::ChangeBroadcaster
{
public:
    static constexpr int slotCount = 4;

    WyxSlotList();
    ~WyxSlotList() override;

    int size() const noexcept { return slots.size(); }
    WyxSlot* operator[] (int index) const noexcept { return slots[index].get(); }

    /** The BANK's playing time: the seconds of every SLOT's range, summed. */
    double getTimeLength() const;

    juce::ReferenceCountedArray<WyxSlot> slots;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WyxSlotList)
};
} // namespace vantor::dataset
