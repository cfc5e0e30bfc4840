#include "common/audiofile/AudioFileToolsRiffReader.h"

namespace common::AudioFileToolsImpl
{
RiffReader::RiffReader (std::unique_ptr<juce::InputStream> input)
    : stream (std::move (input))
{
}

bool RiffReader::descend (RiffChunk& entered)
{
    if (stream == nullptr)
        return false;

    RiffChunk chunk;
    chunk.position = stream->getPosition();

    juce::uint8 header[8];
    if (stream->read (header, 8) != 8)
        return false;

    chunk.id = juce::ByteOrder::littleEndianInt (header);
    chunk.size = juce::ByteOrder::littleEndianInt (header + 4);

    if (chunk.isContainer())
    {
        juce::uint8 form[4];
        if (stream->read (form, 4) != 4)
            return false;

        chunk.formType = juce::ByteOrder::littleEndianInt (form);
    }

    chunks.push_back (chunk);
    entered = chunk;
    return true;
}

bool RiffReader::ascend()
{
    if (stream == nullptr || chunks.empty())
        return false;

    const auto& top = chunks.back();
    auto end = (top.getBodyEnd() + 1) & ~(juce::int64)1;

    // A size that claims more than the file holds ends the walk at the end of the file.
    const auto total = stream->getTotalLength();
    if (total >= 0)
        end = juce::jmin (end, total);

    if (!stream->setPosition (end))
        return false;

    chunks.pop_back();
    return true;
}
} // namespace common::AudioFileToolsImpl
