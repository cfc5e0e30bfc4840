#pragma once

#include "common/audiofile/AudioFileToolsBoundedQueue.h"
#include "common/reader/AbstractReader.h"

#include <array>
#include <memory>
#include <thread>
#include <vector>

namespace common::AudioFileToolsImpl
{
// The audio of a conversion, made over threads so that a long file costs about its slowest
// stage rather than the sum of them: one thread decodes the reader's frames (several, each with a
// reader of its own on a part of the file, when the reader offers others and the file is long);
// when the rates differ, two more change the rate, one per channel (the rate change is the
// costliest stage, and the channels do not depend on each other); the caller takes the result
// piece by piece to write it. Bounded queues between the stages keep memory small whatever the
// length.
//
// With several decoding threads, the file is dealt out in chunks of chunkBlocks blocks: chunk c
// goes to thread c % threads, and the stages after them take the blocks back in order.
//
// Threads: the reader is used only by the first decoding thread while the pipeline lives (the
// caller must not touch it meanwhile); next() runs on the caller's thread. Destroying the
// pipeline (after the last block, after a failure or in the middle) cancels every stage and joins
// its thread; a thread is never killed, and each stops within one block.
class ConversionPipeline
{
public:
    // Frames at the output rate: frame i is left[i * stride], right[i * stride].
    struct Frames
    {
        const float* left = nullptr;
        const float* right = nullptr;
        size_t stride = 0;
        size_t count = 0;
    };

    // Starts the threads. The output has exactly outputFrames frames: the source's inputFrames
    // frames at the new rate, cut or padded with silence to that count (with equal rates, the
    // source's frames as they are, silence past its end). Up to decodingThreads threads decode,
    // as many as the reader gives other readers for (decodersFor is the conversion's choice).
    ConversionPipeline (quelbix::AbstractReader& reader, juce::int64 inputFrames, double inputRate,
                        double outputRate, bool resample, juce::int64 outputFrames, int decodingThreads = 1);
    ~ConversionPipeline();

    // Waits for the next frames, which stay valid until the next call; false after the last ones
    // (or when the resampler could not be set up, which leaves the output short).
    bool next (Frames& frames);

    // The source is read in blocks of this many frames; each queue holds a few of them.
    static constexpr int framesPerBlock = 8192;
    static constexpr size_t blocksInFlight = 6;
    // With several decoding threads: the blocks of one chunk (about 6 s at 44100 Hz, long enough
    // that a jump's cost hardly counts), and at most this many threads.
    static constexpr int chunkBlocks = 32;
    static constexpr int maxDecoders = 4;

    // How many decoding threads a file of this many frames gets on the cores the calling thread
    // may run on.
    static int decodersFor (juce::int64 inputFrames);

private:
    using Block = std::vector<float>;
    using SharedBlock = std::shared_ptr<const Block>;

    // One decoding thread with its reader, and its blocks for each stage that takes them (the
    // caller when the rates agree, else the two channels).
    struct Decoder
    {
        explicit Decoder (size_t capacity)
            : queues{BoundedQueue<SharedBlock> (capacity), BoundedQueue<SharedBlock> (capacity)}
        {
        }

        std::unique_ptr<quelbix::AbstractReader> ownReader; // null for the caller's reader
        quelbix::AbstractReader* reader = nullptr;          // the caller keeps its own open till the end
        std::array<BoundedQueue<SharedBlock>, 2> queues;
        std::thread thread;
    };

    // One channel's rate change: the decoded stereo blocks in, that channel's frames out.
    struct Channel
    {
        explicit Channel (size_t capacity)
            : output (capacity)
        {
        }

        BoundedQueue<Block> output;
        std::thread thread;
        juce::int64 delivered = 0; // written only by the channel's thread
        Block current;             // what next() hands out, on the caller's thread
        size_t used = 0;
    };

    void decode (Decoder& decoder, size_t index, juce::int64 framesToRead);
    // The next decoded block for one taker (0 = the caller or the left channel, 1 = the right),
    // from the decoding thread whose chunk holds it; false at the end or when cancelled.
    bool nextDecoded (size_t taker, juce::int64& blockNumber, SharedBlock& block);
    void resample (Channel& channel, size_t index, double inputRate, double outputRate);
    // Hands one channel's frames on to the caller, cut at the output's length; false when the
    // caller is gone.
    bool deliver (Channel& channel, Block&& block);
    bool nextResampled (Frames& frames);
    void cancel();

    const juce::int64 totalFrames;
    const bool resampling;

    std::vector<std::unique_ptr<Decoder>> decoders;
    std::array<Channel, 2> channels{Channel (blocksInFlight), Channel (blocksInFlight)};
    SharedBlock current;             // what next() hands out when the rates agree
    juce::int64 nextDirectBlock = 0; // the caller's count of blocks taken then

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConversionPipeline)
};
} // namespace common::AudioFileToolsImpl
