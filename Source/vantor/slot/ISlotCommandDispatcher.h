#pragma once

#include <juce_core/juce_core.h>

namespace vantor::slot
{
/** What the SLOT table may ask for. Indexes are SLOT indexes 0..3 of the current BANK as the user
    acted on them; the service checks them. The outcome comes back only through SlotObserver. */
class ISlotCommandDispatcher
{
public:
    virtual ~ISlotCommandDispatcher() = default;

    virtual void assignAudio (const int& slotIndex, const juce::File& file) = 0;
    virtual void selectSlot (const int& slotIndex) = 0;
    virtual void swapSlot (const int& fromIndex, const int& toIndex) = 0;
    virtual void deleteSlot (const int& slotIndex) = 0;
    virtual void cutSlot (const int& slotIndex) = 0;
    virtual void copySlot (const int& slotIndex) = 0;
    virtual void pasteSlot (const int& slotIndex) = 0;
    virtual void changeSlotName (const int& slotIndex, const juce::String& name) = 0;
};
} // namespace vantor::slot
