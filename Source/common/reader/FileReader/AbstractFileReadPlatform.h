#pragma once

#include "common/reader/FileReader/AbstractFileReadDec.h"

#include <juce_audio_formats/juce_audio_formats.h>

namespace quelbix
{
// Base of the readers that analyse a file themselves but decode it through the platform decoder
// (qm::WindowsMediaAudioFormat) opened on the same file: AAC in MP4/M4A and ADTS. They report
// 16-bit samples and keep a frame index, but every read asks the decoder for the wanted samples
// by position. The decoder reads the file through its own stream; the reader's stream serves the
// analysis only, so the two never share a position.
//
// Threads: read runs on the caller's thread (the preview's read-ahead thread, or the message
// thread during a conversion); decoderLock serialises it with creating and deleting the decoder,
// so every call into the decoder is made one at a time.
class AbstractFileReadPlatform : public AbstractFileReadDec
{
public:
    AbstractFileReadPlatform();
    ~AbstractFileReadPlatform() override;

    void read (int startSample, StereoSample* dest, int numFrames) override;
    bool createDecoder (bool flag) override;
    void deleteDecoder() override;
    // Never used: decoding goes through the platform decoder by position.
    bool decodeFrame (int, int, bool) override { return false; }

    bool hasDecoder();
    juce::int32 getSamplesPerFrame() const noexcept { return samplesPerFrame; }
    const std::vector<FrameIndexEntry>& getFrameIndex() const noexcept { return frameIndex; }

protected:
    // The container's track that analyze chose; 0 lets the decoder choose.
    virtual int getAudioTrackId() { return 0; }

    // Sets the fields every analysis of a 16-bit decode shares.
    void setDecodedSampleFormat();

    // The decoder knows the rate it decodes at (implicit SBR doubles it); when it differs from the
    // analysis, the decoder's rate wins and the length and frame index are scaled to match, so that
    // sample p of this reader stays sample p of the decoder's output.
    void adoptDecoderRate();

    juce::int32 samplesPerFrame = 0;
    juce::SpinLock decoderLock;
    std::unique_ptr<juce::AudioFormatReader> decoder;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AbstractFileReadPlatform)
};
} // namespace quelbix
