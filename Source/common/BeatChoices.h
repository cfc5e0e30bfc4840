#pragma once

#include <juce_core/juce_core.h>

namespace common
{
// The numbers of beats that the SLOT detail editor offers, in its order (item ids 1 to 7); 5, 6
// and 7 are not among them.
//
// Inline, so that it is one array built before main, ahead of any static of a file that includes
// this header; read-only afterwards, so any thread may read it.
inline const juce::StringArray BeatChoices{"1", "2", "3", "4", "8", "16", "32"};
} // namespace common
