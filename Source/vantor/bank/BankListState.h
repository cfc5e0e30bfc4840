#pragma once

#include <juce_core/juce_core.h>

#include <array>

namespace vantor::bank
{
/** Value copy of one BANK row. */
struct BankRowInfo
{
    juce::String name;
    double totalSeconds = 0.0; // summed playback time of the BANK's SLOTs
};

/** Snapshot of the BANK list handed to observers; they copy what they need. */
struct BankListState
{
    int favoriteBank = 0;
    int currentBank = 0;
    std::array<BankRowInfo, 15> rows;
};
} // namespace vantor::bank
