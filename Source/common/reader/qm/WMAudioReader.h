#pragma once

#include "common/reader/qm/ISourceReader.h"
#include "common/reader/qm/JuceIMFByteStream.h"

#include <juce_audio_formats/juce_audio_formats.h>

namespace qm::WindowsMediaCodec
{
// Decodes compressed audio to 16-bit PCM through a source reader, delivering any sample position
// on request. It is written to survive decoders that stall or report corrupt data: every chunk is
// waited for with a time-out, a stalled or failing decoder is rebuilt on the same input (the
// decoder reset), and after repeated failures the reader stops decoding for good and delivers
// silence. Retries and failures go to the JUCE logger, never to the user.
//
// A jump positions the decoder up to one pre-roll (at least 2048 samples) before the wanted
// sample, drops whole chunks until the pre-roll is used up, then places chunks by their
// timestamps, rounded to the nearest sample.
//
// No lock of its own: its users call it from one thread at a time (the preview's read-ahead
// thread, or the message thread during a conversion).
class WMAudioReader : public juce::AudioFormatReader
{
public:
    static constexpr int initialWaitMs = 300;
    static constexpr int patientWaitMs = 3000;
    static constexpr int seekSkipWaitMs = 100;
    static constexpr int endOfStreamFrames = 256;
    // Resets for corrupt data within one call before the reader gives up on the file.
    static constexpr int maxCorruptResetsPerCall = 3;

    // Takes ownership of the input (as every JUCE reader does). audioTrackId picks the container's
    // track to decode; 0 leaves the choice to the source reader. Check sampleRate > 0 for success.
    WMAudioReader (juce::InputStream* input, std::shared_ptr<ISourceReaderFactory> factory,
                   const juce::String& formatName, int audioTrackId = 0);
    ~WMAudioReader() override;

    bool readSamples (int* const* destChannels, int numDestChannels, int startOffsetInDestBuffer,
                      juce::int64 startSampleInFile, int numSamples) override;

    // Leaves the input to the caller (used when opening fails and the caller keeps its stream).
    void detachInput() noexcept { input = nullptr; }

    bool isDecodingStopped() const noexcept { return decodingStopped; }
    // Presentation time of the first decoded sample, in samples.
    juce::int64 getStartOffset() const noexcept { return startOffset; }

private:
    struct Call;

    bool openSourceReader();
    ISourceReader::Result positionSourceReader (juce::int64 sample);
    void scanStartOffset();

    // The pieces of readSamples; each returns what the loop does next.
    enum class Next
    {
        carryOn,
        retry,
        fail,
        stop
    };

    Next requestAndWait (Call& call);
    Next handleTimeout (Call& call);
    Next handleCorruptData (Call& call);
    Next placeChunk (Call& call, bool fromSeek);
    void keepChunk();
    void keepEndOfStream (juce::int64 pos);
    void copyOut (Call& call);
    bool stopDecoding (Call& call);
    juce::int64 sampleAtTime (juce::int64 timestamp) const;
    juce::String getFileName() const;

    static bool isCorrupt (ISourceReader::Result result) noexcept;

    std::shared_ptr<ISourceReaderFactory> factory;
    const int audioTrackId;

    // The source reader reads through the byte stream: destroy it first.
    std::unique_ptr<JuceIMFByteStream> byteStream;
    std::unique_ptr<ISourceReader> sourceReader;

    ISourceReader::Chunk chunk; // the chunk in hand, as it arrived
    juce::HeapBlock<juce::int16> decodedData;
    size_t decodedCapacity = 0; // in int16 values; grown, never shrunk
    int decodedChannels = 0;
    juce::int64 bufferStart = 0; // file samples held by decodedData, end exclusive
    juce::int64 bufferEnd = 0;
    bool endOfStreamSeen = false;

    int timeoutCount = 0; // consecutive time-outs, across calls
    bool decodingStopped = false;
    juce::int64 startOffset = 0;
    juce::int64 firstSampleTime = 0; // 0 = not yet known; -1 = the scan failed

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WMAudioReader)
};
} // namespace qm::WindowsMediaCodec
