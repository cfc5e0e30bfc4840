#pragma once

#include "common/reader/qm/ISourceReader.h"

#include <cstdint>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVIOContext;
struct AVPacket;

namespace qm::WindowsMediaCodec
{
// The platform source reader on this system: libavformat demuxes the byte stream through a custom
// I/O context (MP4/M4A, ADTS, MPEG audio and ASF only), libavcodec decodes the chosen audio
// stream, and each decoded frame becomes one chunk of 16-bit samples.
//
// Decoding is synchronous: requestChunk does the work and waitForChunk hands the chunk over at
// once, so this reader never times out. A packet that fails to decode becomes silence of its
// duration, keeping later timestamps right; only a long run of such packets is reported as
// corrupt data, for the reader's reset handling.
//
// MP4 edit lists are applied (libavformat's default): the encoder's priming samples are dropped
// and the first chunk has the timestamp 0. Chunks decoded after a jump back to the start may
// carry negative timestamps instead; the reader places chunks by their timestamps, so both land
// at the right samples.
class FFmpegSourceReader : public ISourceReader
{
public:
    class Factory : public ISourceReaderFactory
    {
    public:
        std::unique_ptr<ISourceReader> create (JuceIMFByteStream& stream, int audioTrackId) override;
    };

    ~FFmpegSourceReader() override;

    Result selectAudioStream (MediaType& type) override;
    Result getDuration (juce::int64& duration) override;
    Result flush() override;
    Result setCurrentPosition (juce::int64 time) override;
    Result requestChunk() override;
    bool waitForChunk (int timeoutMs, Chunk& chunk) override;

    // Quiets libavformat and libavcodec, which would otherwise print about every odd file, and
    // caps the size of any one of their allocations (see the definition). Once per process.
    static void configureLibrary();

private:
    FFmpegSourceReader (JuceIMFByteStream& stream, int audioTrackId);

    bool openInput();
    Result openDecoder();
    Result decodeNextChunk (Chunk& chunk);
    Result readNextPacket();
    void frameToChunk (const AVFrame& decoded, Chunk& chunk);
    void silenceToChunk (int numFrames, juce::int64 timestamp, Chunk& chunk);
    juce::int64 toHundredNs (juce::int64 streamTime) const;

    static int readCallback (void* opaque, juce::uint8* buffer, int size);
    static int64_t seekCallback (void* opaque, int64_t offset, int whence);

    struct Deleters
    {
        void operator() (AVIOContext*) const;
        void operator() (AVFormatContext*) const;
        void operator() (AVCodecContext*) const;
        void operator() (AVPacket*) const;
        void operator() (AVFrame*) const;
    };

    JuceIMFByteStream& byteStream;
    const int wantedTrackId;

    std::unique_ptr<AVIOContext, Deleters> io;
    std::unique_ptr<AVFormatContext, Deleters> format;
    std::unique_ptr<AVCodecContext, Deleters> decoder;
    std::unique_ptr<AVPacket, Deleters> packet;
    std::unique_ptr<AVFrame, Deleters> frame;
    int streamIndex = -1;
    MediaType output;

    Chunk ready;
    bool chunkReady = false;
    bool inputEnded = false;   // the demuxer is drained; the decoder has been told
    bool decoderEnded = false; // every chunk has been delivered
    juce::int64 nextTimestamp = 0;
    int lastFrameLength = 1024;
    int corruptPacketsInRow = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FFmpegSourceReader)
};
} // namespace qm::WindowsMediaCodec
