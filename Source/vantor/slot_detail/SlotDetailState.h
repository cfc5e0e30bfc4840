#pragma once

#include <juce_core/juce_core.h>

namespace vantor::slot_detail
{
/** Value copy of the selected SLOT as the detail editor shows it. Times in seconds; BPM and beats
    with two decimals (they travel as hundredths everywhere else). */
struct SlotDetailState
{
    int slotIndex = 0;
    juce::File audioFile; // empty when the SLOT holds no sample
    double startSeconds = 0.0;
    double endSeconds = 0.0; // never below startSeconds when filled from a SLOT
    double fileLengthSeconds = 0.0;
    bool loop = false;
    float gainDb = 0.0f;
    double beats = 0.0;
    double bpm = 0.0; // 0 when not set
    bool calcBpmMode = false;
};
} // namespace vantor::slot_detail
