#include "common/reader/FileReader/ChunkWalker.h"

#include "common/reader/FileReader/FileReader.h"

namespace quelbix
{
ChunkWalker::ChunkWalker (juce::InputStream& inputToWalk, Options optionsToUse)
    : input (inputToWalk)
    , options (optionsToUse)
    , totalLength (inputToWalk.getTotalLength())
{
}

bool ChunkWalker::find (juce::int64& position, const char* identifier, juce::uint32& size)
{
    constexpr int headerSize = 8;

    for (;;)
    {
        if (position < 0 || (totalLength >= 0 && position + headerSize > totalLength))
            return false;

        juce::uint8 header[headerSize];

        if (!input.setPosition (position) || !FileReader::readFully (input, header, headerSize))
            return false;

        if (options.skipZeroBytes && header[0] == 0)
        {
            // Every leading zero would be skipped one at a time; skip them together.
            int zeros = 1;
            while (zeros < headerSize && header[zeros] == 0)
                ++zeros;

            position += zeros;
            continue;
        }

        size = options.bigEndianSizes ? juce::ByteOrder::bigEndianInt (header + 4)
                                      : juce::ByteOrder::littleEndianInt (header + 4);

        if (memcmp (header, identifier, 4) == 0)
            return true;

        position += headerSize + (juce::int64)size;
    }
}
} // namespace quelbix
