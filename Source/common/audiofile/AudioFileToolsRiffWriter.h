#pragma once

#include "common/audiofile/AudioFileToolsRiffReader.h"

namespace common::AudioFileToolsImpl
{
// Writes the chunks of a RIFF file: descend writes a header with a size of 0, ascend goes back
// and fills in the size of what was written since, then pads the chunk to an even length.
class RiffWriter
{
public:
    explicit RiffWriter (std::unique_ptr<juce::OutputStream> output);
    // Closes every chunk still open (stopping at the first failure), then deletes the stream.
    ~RiffWriter();

    // formType is written only for "RIFF" and "LIST".
    bool descend (juce::uint32 id, juce::uint32 formType = 0);
    // A failing step leaves the chunk open.
    bool ascend();

    juce::OutputStream* getStream() const noexcept { return stream.get(); }
    bool hasOpenChunks() const noexcept { return !chunks.empty(); }

private:
    std::unique_ptr<juce::OutputStream> stream;
    std::list<RiffChunk> chunks;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RiffWriter)
};
} // namespace common::AudioFileToolsImpl
