#pragma once

#include <juce_core/juce_core.h>

namespace datafuzz
{
/** Writes the data-file target's seeds into the folder, each led by its path byte; the number of
    seeds that could not be made. */
int writeDataSeeds (const juce::File& folder);
} // namespace datafuzz
