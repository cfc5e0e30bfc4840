#pragma once

#include <juce_core/juce_core.h>

#include <array>

namespace vantor::slot
{
/** Value copy of one SLOT row. */
struct SlotRowInfo
{
    bool hasAudio = false; // the SLOT's WAV path is not empty
    juce::String name;
    double lengthSeconds = 0.0; // playback range; 0 without a sample rate
    bool loop = false;
};

/** Snapshot of the SLOT list handed to observers; they copy what they need. */
struct SlotListState
{
    int selectedSlot = 0;
    std::array<SlotRowInfo, 4> rows;
};
} // namespace vantor::slot
