#include "common/reader/FileReader/PcmFrameReader.h"

namespace quelbix
{
void PcmFrameReader::prepare (const Layout& newLayout)
{
    layout = newLayout;
    const int frameBytes = juce::jmax (1, layout.numChannels * layout.bytesPerSample);
    buffer.calloc ((size_t)frameBytes * framesPerBlock);
}

void PcmFrameReader::release()
{
    buffer.free();
}

float PcmFrameReader::sampleAt (const juce::uint8* bytes, float gain) const noexcept
{
    // The sample becomes the top bytes of a 32-bit integer, so every width scales alike.
    juce::uint32 word = 0;

    for (int i = 0; i < layout.bytesPerSample; ++i)
    {
        const juce::uint32 byte = layout.bigEndian ? bytes[i] : bytes[layout.bytesPerSample - 1 - i];
        word |= byte << (24 - 8 * i);
    }

    return (float)(juce::int32)word * gain;
}

void PcmFrameReader::read (juce::InputStream* stream, int startSample, StereoSample* dest, int numFrames)
{
    if (dest == nullptr || numFrames <= 0)
        return;

    std::fill (dest, dest + numFrames, StereoSample{});

    const int frameBytes = layout.numChannels * layout.bytesPerSample;

    if (stream == nullptr || frameBytes <= 0 || buffer == nullptr)
        return;

    // Only frames inside 0 .. length - 1 are read; the rest stay zero.
    const auto begin = juce::jmax ((juce::int64)startSample, (juce::int64)0);
    const auto end = juce::jmin ((juce::int64)startSample + numFrames, (juce::int64)layout.lengthInSamples);

    if (begin >= end)
        return;

    if (!stream->setPosition (layout.dataStart + begin * frameBytes))
        return;

    const int lastChannelOffset = (layout.numChannels - 1) * layout.bytesPerSample;
    auto* out = dest + (begin - startSample);
    auto remaining = end - begin;

    while (remaining > 0)
    {
        const int wanted = (int)juce::jmin (remaining, (juce::int64)framesPerBlock) * frameBytes;
        int got = 0;

        // Short reads are joined so that a frame is never split between two blocks.
        while (got < wanted)
        {
            const int n = stream->read (buffer.get() + got, wanted - got);

            if (n <= 0)
                break;

            got += n;
        }

        const int frames = got / frameBytes;

        for (int i = 0; i < frames; ++i)
        {
            const auto* frame = buffer.get() + i * frameBytes;
            out[i].left = sampleAt (frame, layout.gainLeft);
            out[i].right = sampleAt (frame + lastChannelOffset, layout.gainRight);
        }

        if (got < wanted)
            return;

        out += frames;
        remaining -= frames;
    }
}
} // namespace quelbix
