#include "common/audiofile/AudioFileToolsStereoWav24Writer.h"

#include <limits>

namespace common::AudioFileToolsImpl
{
namespace
{
// About 1 MiB, a whole number of frames.
constexpr size_t blockBytes = (1 << 20) / StereoWav24Writer::bytesPerFrame * StereoWav24Writer::bytesPerFrame;

int chunkName (const char* name) noexcept
{
    return (int)juce::ByteOrder::littleEndianInt (name);
}

// JUCE's WAV header for 2 channels of 24 bits, no metadata. The sizes that JUCE reserves for a
// "ds64" chunk are part of its RIFF size, so they are here too.
void writeHeaderTo (juce::MemoryOutputStream& header, double rate, juce::int64 frames)
{
    const auto dataBytes = (juce::uint64)frames * StereoWav24Writer::bytesPerFrame;
    const bool isRF64 = dataBytes >= 0x100000000ULL;
    auto riffSize = (juce::int64) (4 + 8 + 40 + 8 + dataBytes + (dataBytes & 1) + (8 + 28));
    riffSize += riffSize & 1;

    header.writeInt (chunkName (isRF64 ? "RF64" : "RIFF"));
    header.writeInt (isRF64 ? -1 : (int)riffSize);
    header.writeInt (chunkName ("WAVE"));

    if (isRF64)
    {
        header.writeInt (chunkName ("ds64"));
        header.writeInt (28);
        header.writeInt64 (riffSize);
        header.writeInt64 ((juce::int64)dataBytes);
        header.writeRepeatedByte (0, 12);

        // Beyond 4 GB JUCE switches to the extensible format chunk.
        header.writeInt (chunkName ("fmt "));
        header.writeInt (40);
        header.writeShort ((short)(juce::uint16)0xfffe);
    }
    else
    {
        header.writeInt (chunkName ("JUNK"));
        header.writeInt (28 + 24);
        header.writeRepeatedByte (0, 28 + 24);
        header.writeInt (chunkName ("fmt "));
        header.writeInt (16);
        header.writeShort (1); // integer PCM
    }

    header.writeShort (2);
    header.writeInt ((int)rate);
    header.writeInt ((int)((double)StereoWav24Writer::bytesPerFrame * rate));
    header.writeShort ((short)StereoWav24Writer::bytesPerFrame);
    header.writeShort (24);

    if (isRF64)
    {
        // The extension: valid bits, no channel mask (JUCE leaves stereo unmasked), PCM's GUID.
        static const juce::uint8 pcmGuid[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                                0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71};
        header.writeShort (22);
        header.writeShort (24);
        header.writeInt (0);
        header.write (pcmGuid, sizeof (pcmGuid));
    }

    header.writeInt (chunkName ("data"));
    header.writeInt (isRF64 ? -1 : (int)dataBytes);
}
} // namespace

juce::int32 StereoWav24Writer::toInt24 (float sample) noexcept
{
    // As JUCE's writer: to a 32-bit integer with its rounding, then the top 24 bits.
    const double value = sample;
    juce::int32 wide;

    if (value <= -1.0)
        wide = std::numeric_limits<juce::int32>::min();
    else if (value >= 1.0)
        wide = std::numeric_limits<juce::int32>::max();
    else
        wide = juce::roundToInt (std::numeric_limits<juce::int32>::max() * value);

    return wide >> 8;
}

StereoWav24Writer::StereoWav24Writer (juce::OutputStream& stream, double sampleRate)
    : out (stream)
    , rate (sampleRate)
    , headerPosition (stream.getPosition())
    , block (blockBytes)
{
    ok = writeHeader();
}

bool StereoWav24Writer::write (const float* left, const float* right, size_t stride, size_t numFrames)
{
    auto put = [] (juce::uint8* dest, float sample)
    {
        const auto v = (juce::uint32)toInt24 (sample);
        dest[0] = (juce::uint8)v;
        dest[1] = (juce::uint8) (v >> 8);
        dest[2] = (juce::uint8) (v >> 16);
    };

    for (size_t done = 0; ok && done < numFrames;)
    {
        const auto n = juce::jmin (numFrames - done, (blockBytes - blockUsed) / bytesPerFrame);
        auto* dest = block.get() + blockUsed;

        for (size_t i = 0, at = done * stride; i < n; ++i, at += stride, dest += bytesPerFrame)
        {
            put (dest, left[at]);
            put (dest + 3, right[at]);
        }

        blockUsed += n * bytesPerFrame;
        frames += (juce::int64)n;
        done += n;

        if (blockUsed == blockBytes)
            flushBlock();
    }

    return ok;
}

bool StereoWav24Writer::flushBlock()
{
    if (ok && blockUsed > 0)
        ok = out.write (block.get(), blockUsed);

    blockUsed = 0;
    return ok;
}

bool StereoWav24Writer::finish()
{
    flushBlock();

    // Like JUCE, the header is written even after a failed write: what reached the disk stays a
    // readable file.
    const auto end = out.getPosition();
    const bool headerOk = out.setPosition (headerPosition) && writeHeader() && out.setPosition (end);
    ok = ok && headerOk;
    return ok;
}

bool StereoWav24Writer::writeHeader()
{
    juce::MemoryOutputStream header (headerBytes);
    writeHeaderTo (header, rate, frames);
    jassert (header.getDataSize() == (size_t)headerBytes);
    return out.write (header.getData(), header.getDataSize());
}
} // namespace common::AudioFileToolsImpl
