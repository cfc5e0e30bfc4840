#pragma once

#include <juce_core/juce_core.h>

namespace quelbix
{
// Walks the chunks of a RIFF or IFF file looking for one identifier. Every step moves forward and
// no header is read beyond the end of the stream, so a corrupt size ends the walk instead of
// looping or jumping back.
class ChunkWalker
{
public:
    struct Options
    {
        bool bigEndianSizes = false;
        // IFF writers pad odd chunks with a zero byte; a header that starts with zero is taken for
        // such padding and skipped.
        bool skipZeroBytes = false;
    };

    ChunkWalker (juce::InputStream& input, Options options);

    // Searches from position on. On success position is the header's position and size the
    // chunk's declared size; the stream is left just past the 8-byte header.
    bool find (juce::int64& position, const char* identifier, juce::uint32& size);

    juce::int64 getTotalLength() const noexcept { return totalLength; }

private:
    juce::InputStream& input;
    Options options;
    juce::int64 totalLength;
};
} // namespace quelbix
