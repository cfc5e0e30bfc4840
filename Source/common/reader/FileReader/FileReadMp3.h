#pragma once

#include "common/reader/FileReader/AbstractFileReadDec.h"
#include "common/reader/IIndividualReaderFactory.h"
#include "common/reader/Mpg123DynamicLibraryHandle.h"

namespace quelbix
{
// Reader of MPEG-1 and MPEG-2 audio (Layers I, II and III). Opening walks the file once and
// indexes every frame; reading feeds the frames one at a time to libmpg123, which is loaded at
// run time: without the library no MP3 opens here and the factory goes on to its later readers.
//
// A first frame holding a "Xing", "Info" or "VBRI" header carries no audio of its own: it is
// indexed and counted in the length but delivered as silence and never fed to the decoder.
class FileReadMp3 : public AbstractFileReadDec
{
public:
    // What one MPEG audio frame header says.
    struct FrameHeader
    {
        bool mpeg1 = false;
        int layer = 0; // the header's code: 1 = Layer III, 2 = Layer II, 3 = Layer I
        int sampleRateIndex = 0;
        int mode = 0; // 3 = single channel
        int sampleRate = 0;
        int bitRate = 0; // bit/s
        int padding = 0;
        int samplesPerFrame = 0;
        int frameBytes = 0;
        juce::uint32 signature = 0; // sync, version, layer, rate and mode bits

        int getNumChannels() const noexcept { return mode == 3 ? 1 : 2; }
        // Bytes between the header and a "Xing"/"Info" tag (Layer III side information).
        int getSideInfoSize() const noexcept;

        // False for anything but a valid MPEG-1/MPEG-2 header (MPEG-2.5, free format, reserved
        // indexes included).
        static bool parse (const juce::uint8* bytes, FrameHeader& header);
    };

    // Walks a stream from its start and indexes its frames.
    class FrameAnalyzer : public FileReader::FrameAnalyzer
    {
    public:
        bool analyze (std::vector<FrameIndexEntry>& index, juce::InputStream* input) override;

        juce::int32 lengthInSamples = std::numeric_limits<juce::int32>::max();
        juce::int32 sampleRate = 0;
        juce::uint16 numChannels = 0;
        juce::int32 bitRate = 0;
        juce::int32 samplesPerFrame = 0;
        juce::int32 skipSamples = 0;
        bool vbr = false;
        FrameHeader reference; // the first frame after the last synchronisation

    private:
        enum class Following
        {
            confirmed,
            mismatch,
            end
        };

        Following checkFollowingFrames (juce::int64 offset, const FrameHeader& candidate);
        // Looks for a "Xing", "Info" or "VBRI" tag in a first frame; false when it cannot be read.
        bool readVbrHeader (juce::int64 offset, const FrameHeader& header);
        bool readAt (juce::int64 offset, void* dest, int numBytes);

        juce::InputStream* stream = nullptr;
        bool vbrHeaderFound = false;
        bool infoHeaderFound = false;
    };

    FileReadMp3();
    ~FileReadMp3() override;

    bool analyze() override;
    int getBitRate() override { return vbr ? 0 : bitRate; }
    void updateLengthFromFileSize (juce::int64 totalBytes) override;
    bool rescanFrames() override;

    bool createDecoder (bool flag) override;
    void deleteDecoder() override;
    bool decodeFrame (int sample, int frameIndexToDecode, bool seek) override;
    int getPrerollFrames() override { return 20; }

    // 128 when the stream ends in an ID3v1 tag, else 0.
    int getTrailingTagSize();

    const std::vector<FrameIndexEntry>& getFrameIndex() const noexcept { return frameIndex; }
    juce::int32 getSkipSamples() const noexcept { return skipSamples; }
    int getLayer() const noexcept { return layer; }
    bool isMpeg1() const noexcept { return mpeg1; }

private:
    static constexpr int inputBufferSize = 8192;
    static constexpr int maxSamplesPerFrame = 1152;

    bool feedFrame (int index);
    bool feedBytes (juce::int64 offset, int numBytes);
    // Samples of the frame at index: up to the next entry, or to the skip samples for the last.
    int getFrameLength (int index) const;
    int getFirstAudioFrame() const;
    bool deliver (int sample, int index, const void* values, int numValues);

    Mpg123DynamicLibraryHandle& library;
    bool holdsLibrary = false;
    Mpg123DynamicLibraryHandle::Decoder* decoder = nullptr;

    bool vbr = false;
    bool mpeg1 = false;
    int layer = 0;
    int channelMode = 0;
    juce::uint32 headerSignature = 0;
    juce::int32 samplesPerFrame = 0;
    juce::int32 skipSamples = 0;

    // The decoder's stream since the last restart: which index entry it was first fed, and the
    // next one to feed. Its frame numbers count from that first entry.
    bool streamOpen = false;
    int streamFirstFrame = -1;
    int nextFeed = 0;
    bool flushedTail = false;
    bool decoderRefusedFormat = false;

    juce::HeapBlock<juce::int16> silence;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FileReadMp3)
};

class FileReadMp3Factory : public IIndividualReaderFactory
{
public:
    std::unique_ptr<AbstractReader> createReader (const juce::String& path) override;
};
} // namespace quelbix
