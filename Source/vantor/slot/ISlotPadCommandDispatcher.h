#pragma once

#include <juce_core/juce_core.h>

namespace vantor::slot
{
/** What a SLOT pad may ask for; the outcome comes back only through SlotPadObserver. */
class ISlotPadCommandDispatcher
{
public:
    virtual ~ISlotPadCommandDispatcher() = default;

    virtual void assignAudio (const int& slotIndex, const juce::File& file) = 0;
    virtual void changeGainDb (const int& slotIndex, const float& gainDb) = 0;
};
} // namespace vantor::slot
