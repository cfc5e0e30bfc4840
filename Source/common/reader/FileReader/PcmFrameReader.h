#pragma once

#include "common/reader/AbstractReader.h"

namespace quelbix
{
// Turns the interleaved integer samples of an uncompressed file into stereo frames, block by
// block through a buffer of 512 frames. Shared by the WAV and AIFF readers.
class PcmFrameReader
{
public:
    struct Layout
    {
        juce::int64 dataStart = 0; // stream position of frame 0
        int lengthInSamples = 0;   // frames at or beyond it read as zero
        int numChannels = 0;
        int bytesPerSample = 0;
        bool bigEndian = false;
        float gainLeft = 0.0f; // applied to the sample placed in the top bytes of an int32
        float gainRight = 0.0f;
    };

    static constexpr int framesPerBlock = 512;

    PcmFrameReader() = default;

    // Sizes the zeroed buffer for the layout's frame size.
    void prepare (const Layout& newLayout);
    void release();

    // Fills dest with numFrames frames from startSample; frames outside 0 .. length - 1 and frames
    // that the stream does not deliver are zero.
    void read (juce::InputStream* stream, int startSample, StereoSample* dest, int numFrames);

private:
    float sampleAt (const juce::uint8* bytes, float gain) const noexcept;

    Layout layout;
    juce::HeapBlock<juce::uint8> buffer;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PcmFrameReader)
};
} // namespace quelbix
