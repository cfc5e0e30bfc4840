#pragma once

#include <juce_core/juce_core.h>

namespace common::AudioFileToolsImpl
{
// Writes the program's WAV: 24-bit stereo PCM at one rate, byte for byte as JUCE's WAV writer
// lays it out for that format without metadata (a padding "JUNK" chunk, so that the same header
// can become RF64 beyond 4 GB, a plain "fmt " chunk and the "data" chunk), and each sample
// rounded as JUCE rounds it. It is several times faster: a vector loop from float to three
// bytes, and the stream gets blocks of about 1 MiB instead of one write per 4096 samples.
//
// One thread at a time.
class StereoWav24Writer
{
public:
    static constexpr int headerBytes = 104;
    static constexpr int bytesPerFrame = 6;

    // Writes the header (with no frames yet) at the stream's position; the stream must seek.
    StereoWav24Writer (juce::OutputStream& stream, double sampleRate);

    // False once a write has failed.
    bool isOk() const noexcept { return ok; }

    // Appends interleaved stereo frames (values beyond -1 .. +1 are clipped).
    bool write (const float* interleaved, size_t numFrames)
    {
        return write (interleaved, interleaved + 1, 2, numFrames);
    }
    // Appends frames whose left sample i is left[i * stride] and right sample right[i * stride].
    bool write (const float* left, const float* right, size_t stride, size_t numFrames);
    // Writes what is buffered and the header with the final length.
    bool finish();

    juce::int64 getFramesWritten() const noexcept { return frames; }

    // JUCE's conversion of one float into the 24 bits it writes.
    static juce::int32 toInt24 (float sample) noexcept;

private:
    bool writeHeader();
    bool flushBlock();

    juce::OutputStream& out; // the caller's, which outlives the writer
    const double rate;
    const juce::int64 headerPosition;
    juce::HeapBlock<juce::uint8> block;
    size_t blockUsed = 0;
    juce::int64 frames = 0;
    bool ok = true;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (StereoWav24Writer)
};
} // namespace common::AudioFileToolsImpl
