#pragma once

#include <juce_core/juce_core.h>

namespace vantor::browse
{
/** Value copy of one stored BANK as the bank-collection table shows it. */
struct BankCollectionItem
{
    juce::String name;
    double seconds = 0.0; // summed playback time of its SLOTs; 0 for a missing BANK
};
} // namespace vantor::browse
