#pragma once

#include <juce_core/juce_core.h>

#include <functional>
#include <memory>

namespace common::AudioFileTools
{
// Opens the stream that a written file goes through, positioned at 0 and truncated. The default
// is a file stream with a 16384-byte buffer; tests pass streams that fail like a full disk.
// A header of its own so that the verified output file, which the tools use, needs nothing of them.
using OutputStreamOpener = std::function<std::unique_ptr<juce::FileOutputStream> (const juce::File&)>;
} // namespace common::AudioFileTools
