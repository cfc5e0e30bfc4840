#include "common/audiofile/AudioFileToolsRiffWriter.h"

namespace common::AudioFileToolsImpl
{
RiffWriter::RiffWriter (std::unique_ptr<juce::OutputStream> output)
    : stream (std::move (output))
{
}

RiffWriter::~RiffWriter()
{
    while (!chunks.empty())
        if (!ascend())
            break;
}

bool RiffWriter::descend (juce::uint32 id, juce::uint32 formType)
{
    if (stream == nullptr)
        return false;

    RiffChunk chunk;
    chunk.position = stream->getPosition();
    chunk.id = id;

    if (!stream->writeInt ((int)id) || !stream->writeInt (0))
        return false;

    if (chunk.isContainer())
    {
        chunk.formType = formType;
        if (!stream->writeInt ((int)formType))
            return false;
    }

    chunks.push_back (chunk);
    return true;
}

bool RiffWriter::ascend()
{
    if (stream == nullptr || chunks.empty())
        return false;

    const auto& top = chunks.back();
    const auto end = stream->getPosition();
    const auto size = end - top.position - 8;

    if (size < 0 || size > (juce::int64)std::numeric_limits<juce::uint32>::max())
        return false;

    if (!stream->setPosition (top.position + 4) || !stream->writeInt ((int)(juce::uint32)size) ||
        !stream->setPosition (end))
        return false;

    // The pad byte belongs to no chunk's size.
    if ((end & 1) != 0 && !stream->writeByte (0))
        return false;

    chunks.pop_back();
    return true;
}
} // namespace common::AudioFileToolsImpl
