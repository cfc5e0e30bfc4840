#pragma once

#include <juce_core/juce_core.h>

#include <list>
#include <memory>

namespace common::AudioFileToolsImpl
{
// Four-character chunk codes as stored in the file, read as little-endian 32-bit values.
constexpr juce::uint32 fourCC (const char (&code)[5]) noexcept
{
    return (juce::uint32) (juce::uint8)code[0] | ((juce::uint32) (juce::uint8)code[1] << 8) |
           ((juce::uint32) (juce::uint8)code[2] << 16) | ((juce::uint32) (juce::uint8)code[3] << 24);
}

// One open chunk of a RIFF file.
struct RiffChunk
{
    juce::int64 position = 0; // stream position of the chunk's header
    juce::uint32 id = 0;
    juce::uint32 size = 0;     // the size field as stored
    juce::uint32 formType = 0; // of "RIFF" and "LIST" chunks, else 0

    bool isContainer() const noexcept { return id == fourCC ("RIFF") || id == fourCC ("LIST"); }
    // Where the chunk's body ends (before any pad byte); 64-bit, so no size field wraps it around.
    juce::int64 getBodyEnd() const noexcept { return position + 8 + (juce::int64)size; }
};

// Walks the chunks of a RIFF file. Every ascend lands past the chunk it leaves and never beyond
// the end of the stream, so a corrupt size can neither loop the walk nor send it out of the file.
class RiffReader
{
public:
    explicit RiffReader (std::unique_ptr<juce::InputStream> input);

    // Enters the chunk whose header starts at the stream's position; false when no whole header
    // is there.
    bool descend (RiffChunk& entered);
    // Leaves the innermost open chunk, moving to its end rounded up to an even offset.
    bool ascend();

    // Null when no chunk is open.
    const RiffChunk* getTop() const noexcept { return chunks.empty() ? nullptr : &chunks.back(); }
    juce::InputStream* getStream() const noexcept { return stream.get(); }

private:
    std::unique_ptr<juce::InputStream> stream;
    std::list<RiffChunk> chunks;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RiffReader)
};
} // namespace common::AudioFileToolsImpl
