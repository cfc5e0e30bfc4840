#pragma once

#include "common/reader/FileReader/FileReader.h"

namespace quelbix
{
// Base of the readers whose formats are decoded frame by frame over a frame index. Its read
// delivers 16-bit values from the decode buffer, decoding the next frame whenever the buffer runs
// out; a jump decodes getPrerollFrames() frames before the wanted one to settle the decoder.
//
// A subclass that keeps this read implements decodeFrame with this contract:
//  1. sets bufferPosition and bufferCount to 0;
//  2. when seek is true, discards the decoder state so decoding may start at any frame;
//  3. decodes frames in index order from frameIndex on, dropping the output of every frame whose
//     index is below currentFrame (the pre-roll);
//  4. on the first frame b at or above currentFrame: currentFrame += 1, bufferPosition :=
//     (sample - firstSample of b) * channels (negative = that many leading zero values),
//     bufferCount := channels * decoded frames, decodeBuffer points at the values; stops;
//  5. returns bufferCount != 0 (false when a frame fails to decode or the index ends).
// Its analyze sets both gains to 1 / 2^15 and bytes per sample to 2 and fills the frame index.
class AbstractFileReadDec : public FileReader
{
public:
    AbstractFileReadDec() = default;

    void read (int startSample, StereoSample* dest, int numFrames) override;

    virtual bool createDecoder (bool flag) = 0;
    virtual void deleteDecoder() = 0;
    virtual bool decodeFrame (int sample, int frameIndexToDecode, bool seek) = 0;
    // Frames decoded before the wanted one after a jump.
    virtual int getPrerollFrames() { return 10; }

protected:
    // Index of the last entry whose firstSample <= sample; 0 when none qualifies or the index is
    // empty.
    int findFrame (int sample) const noexcept;

    juce::int32 nextSample = -1;              // sample after the last completed read; -1 = unknown
    juce::int32 currentFrame = -1;            // index of the next frame to decode
    juce::int32 bufferPosition = 0;           // in values (channels per frame); negative = leading zeros
    juce::int32 bufferCount = 0;              // valid values in the decode buffer
    juce::HeapBlock<juce::uint8> inputBuffer; // one frame's bytes; the subclass allocates it
    // Decoded values, interleaved, channels per frame. Points into storage that the subclass owns
    // (its own block or its decoder's output); this class reads it as 16-bit values.
    void* decodeBuffer = nullptr;

private:
    // Repositions the decoder for a jump to startSample; false when the decode failed.
    bool seekTo (int startSample);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AbstractFileReadDec)
};
} // namespace quelbix
