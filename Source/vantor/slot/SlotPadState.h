#pragma once

#include <juce_core/juce_core.h>

namespace vantor::slot
{
/** Value copy of one SLOT pad: what a preview of the SLOT needs. */
struct SlotPadState
{
    juce::File audioFile; // empty when the SLOT holds no sample
    double startSeconds = 0.0;
    double endSeconds = 0.0; // never below startSeconds
    bool loop = false;
    float gainDb = 0.0f;
};
} // namespace vantor::slot
