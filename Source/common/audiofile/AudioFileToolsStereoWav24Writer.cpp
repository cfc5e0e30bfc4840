#include "common/audiofile/AudioFileToolsStereoWav24Writer.h"

#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace common::AudioFileToolsImpl
{
namespace
{
// About 1 MiB, a whole number of frames.
constexpr size_t blockBytes = (1 << 20) / StereoWav24Writer::bytesPerFrame * StereoWav24Writer::bytesPerFrame;
// The fast path stores each sample as four bytes, the next one overwriting the fourth: room for
// the last one's.
constexpr size_t blockSlack = 4;

void putInt24 (juce::uint8* dest, juce::int32 value) noexcept
{
    const auto v = (juce::uint32)value;
    dest[0] = (juce::uint8)v;
    dest[1] = (juce::uint8) (v >> 8);
    dest[2] = (juce::uint8) (v >> 16);
}

#if defined(__SSE2__)
// Two samples as toInt24 converts each: clipped to -1 .. +1 (a NaN passes, as it does there:
// the second operand of max and min wins when one is a NaN), scaled, and rounded to the nearest
// integer, ties to even, by JUCE's own trick of adding 1.5 * 2^52 and taking the low 32 bits.
inline __m128i toWideRounded (__m128d samples) noexcept
{
    const auto clipped = _mm_min_pd (_mm_set1_pd (1.0), _mm_max_pd (_mm_set1_pd (-1.0), samples));
    const auto shifted =
        _mm_add_pd (_mm_mul_pd (clipped, _mm_set1_pd ((double)std::numeric_limits<juce::int32>::max())),
                    _mm_set1_pd (6755399441055744.0));
    // The low halves of both lanes into the two lowest 32-bit lanes.
    return _mm_shuffle_epi32 (_mm_castpd_si128 (shifted), _MM_SHUFFLE (3, 3, 2, 0));
}

// Four samples in the order they are written, to the twelve bytes they become (and one more
// byte of scratch after them).
inline void putFour (juce::uint8* dest, __m128 samples) noexcept
{
    const auto low = toWideRounded (_mm_cvtps_pd (samples));
    const auto high = toWideRounded (_mm_cvtps_pd (_mm_movehl_ps (samples, samples)));
    alignas (16) juce::int32 values[4];
    _mm_store_si128 (reinterpret_cast<__m128i*> (values), _mm_srai_epi32 (_mm_unpacklo_epi64 (low, high), 8));

    // Little-endian: the first three bytes of each are the sample's.
    for (int i = 0; i < 4; ++i)
        std::memcpy (dest + 3 * i, values + i, sizeof (juce::int32));
}
#endif

// Converts n frames into dest; returns how many frames it converted (all but a few at the end
// that the plain loop takes).
size_t putFramesFast (juce::uint8* dest, const float* left, const float* right, size_t stride,
                      size_t n) noexcept
{
#if defined(__SSE2__)
    size_t i = 0;

    if (stride == 2 && right == left + 1)
    {
        // Interleaved: the samples are already in the order they are written.
        for (; i + 2 <= n; i += 2, dest += 2 * StereoWav24Writer::bytesPerFrame)
            putFour (dest, _mm_loadu_ps (left + 2 * i));
    }
    else if (stride == 1)
    {
        for (; i + 4 <= n; i += 4, dest += 4 * StereoWav24Writer::bytesPerFrame)
        {
            const auto l = _mm_loadu_ps (left + i);
            const auto r = _mm_loadu_ps (right + i);
            putFour (dest, _mm_unpacklo_ps (l, r));
            putFour (dest + 2 * StereoWav24Writer::bytesPerFrame, _mm_unpackhi_ps (l, r));
        }
    }

    return i;
#else
    juce::ignoreUnused (dest, left, right, stride, n);
    return 0;
#endif
}

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
    , block (blockBytes + blockSlack)
{
    ok = writeHeader();
}

bool StereoWav24Writer::write (const float* left, const float* right, size_t stride, size_t numFrames)
{
    for (size_t done = 0; ok && done < numFrames;)
    {
        const auto n = juce::jmin (numFrames - done, (blockBytes - blockUsed) / bytesPerFrame);
        auto* dest = block.get() + blockUsed;
        const auto at = done * stride;
        const auto fast = putFramesFast (dest, left + at, right + at, stride, n);
        dest += fast * bytesPerFrame;

        for (size_t i = fast, from = at + fast * stride; i < n; ++i, from += stride, dest += bytesPerFrame)
        {
            putInt24 (dest, toInt24 (left[from]));
            putInt24 (dest + 3, toInt24 (right[from]));
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
