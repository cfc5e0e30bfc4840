#pragma once

#include <juce_core/juce_core.h>

#include <memory>

namespace qm::WindowsMediaCodec
{
class JuceIMFByteStream;

// The decoder under WMAudioReader: demuxes one audio stream of a byte stream and decodes it into
// chunks of interleaved signed 16-bit samples. It is shaped like an asynchronous source reader
// (request a chunk, then wait for it with a time-out) so that the reader's time-out and reset
// handling works over any implementation, including a scripted one in tests.
// Used by one thread at a time: the thread that owns the WMAudioReader.
class ISourceReader
{
public:
    // Result codes. The failures the reader tells apart keep the values that it logs.
    enum Result : juce::uint32
    {
        ok = 0,
        failed = 0x80004005,
        corruptData = 0xC00D002F,
        outputTypeNotSet = 0xC00D6D60,
        invalidPosition = 0xC00D36E5
    };

    struct MediaType
    {
        int sampleRate = 0; // 0 when unknown
        int numChannels = 0;
        int bitsPerSample = 0;
    };

    struct Chunk
    {
        juce::MemoryBlock bytes;   // interleaved int16, the media type's channels per frame
        juce::int64 timestamp = 0; // of the first frame, in 100-ns units
        bool endOfStream = false;  // no audio follows; bytes are then empty
    };

    virtual ~ISourceReader() = default;

    // Chooses the audio stream to decode and reports its output: 16-bit interleaved PCM.
    virtual Result selectAudioStream (MediaType& type) = 0;
    // Duration of the chosen stream in 100-ns units.
    virtual Result getDuration (juce::int64& duration) = 0;
    // Drops decoded chunks and the decoder's state.
    virtual Result flush() = 0;
    // Moves to the chunk holding the time (100-ns units) or the last one before it.
    virtual Result setCurrentPosition (juce::int64 time) = 0;
    // Asks for the next chunk, which waitForChunk then delivers.
    virtual Result requestChunk() = 0;
    // False when no chunk arrived within the time-out.
    virtual bool waitForChunk (int timeoutMs, Chunk& chunk) = 0;
};

class ISourceReaderFactory
{
public:
    virtual ~ISourceReaderFactory() = default;

    // A source reader over the byte stream (which outlives it), or null when the stream holds no
    // format that it reads. audioTrackId names the container's track to decode; 0 = any.
    virtual std::unique_ptr<ISourceReader> create (JuceIMFByteStream& stream, int audioTrackId) = 0;
};
} // namespace qm::WindowsMediaCodec
