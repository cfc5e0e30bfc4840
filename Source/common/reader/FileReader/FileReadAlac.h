#pragma once

#include "common/reader/AlacDecoder.h"
#include "common/reader/FileReader/AbstractFileReadDec.h"
#include "common/reader/IIndividualReaderFactory.h"

namespace quelbix
{
// Reader of Apple Lossless audio in MP4/M4A files: at most 48000 Hz, mono or stereo, 16 or 24
// bits. The container is read by Mp4AtomParser; each packet is decoded on its own. A jump
// re-creates the decoder and decodes getPrerollFrames() packets before the wanted one, so no
// decoder state carries over a jump; sequential reads decode each packet once.
class FileReadAlac : public AbstractFileReadDec
{
public:
    FileReadAlac();
    ~FileReadAlac() override;

    bool analyze() override;
    void read (int startSample, StereoSample* dest, int numFrames) override;
    // ALAC packets decode on their own: a jump gives the same frames as reading through.
    std::unique_ptr<AbstractReader> openAnother() const override { return openAnotherOfType<FileReadAlac>(); }
    void updateLengthFromFileSize (juce::int64) override {}
    bool rescanFrames() override { return true; }

    bool createDecoder (bool flag = false) override;
    void deleteDecoder() override;
    // Decodes packets from frameIndexToDecode on into the PCM buffer, dropping the output of those
    // before currentFrame; stops after the first one at or past it. A pre-roll packet that does
    // not decode is skipped. False when the wanted packet does not decode or the index ends.
    bool decodeFrame (int sample, int frameIndexToDecode, bool restart) override;

private:
    // A new decoder from the cookie in place of the old one; false when the cookie is refused.
    bool resetDecoder();
    // Turns the 2 or 3 little-endian bytes at a PCM value into a left-justified 32-bit integer.
    juce::int32 pcmValue (int valueIndex) const noexcept;

    juce::int32 largestFrameDuration = 0;
    size_t packetBufferSize = 0;            // inputBuffer holds one packet of at most this many bytes
    juce::HeapBlock<juce::uint8> pcmBuffer; // one decoded packet, interleaved
    std::unique_ptr<AlacDecoder> decoder;
    AlacDecoder::BitBuffer bitBuffer;
    juce::HeapBlock<juce::uint8> magicCookie;
    juce::uint32 magicCookieSize = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FileReadAlac)
};

class FileReadAlacFactory : public IIndividualReaderFactory
{
public:
    std::unique_ptr<AbstractReader> createReader (const juce::String& path) override;
};
} // namespace quelbix
