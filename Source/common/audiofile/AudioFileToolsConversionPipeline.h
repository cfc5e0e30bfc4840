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
// stage rather than the sum of them: one thread decodes the reader's frames; when the rates
// differ, two more change the rate, one per channel (the rate change is the costliest stage, and
// the channels do not depend on each other); the caller takes the result piece by piece to write
// it. Bounded queues between the stages keep memory small whatever the length.
//
// Threads: the reader is used only by the decoding thread while the pipeline lives (the caller
// must not touch it meanwhile); next() runs on the caller's thread. Destroying the pipeline
// (after the last block, after a failure or in the middle) cancels every stage and joins its
// thread; a thread is never killed, and each stops within one block.
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
    // source's frames as they are, silence past its end).
    ConversionPipeline (quelbix::AbstractReader& reader, juce::int64 inputFrames, double inputRate,
                        double outputRate, bool resample, juce::int64 outputFrames);
    ~ConversionPipeline();

    // Waits for the next frames, which stay valid until the next call; false after the last ones
    // (or when the resampler could not be set up, which leaves the output short).
    bool next (Frames& frames);

    // The source is read in blocks of this many frames; each queue holds a few of them.
    static constexpr int framesPerBlock = 8192;
    static constexpr size_t blocksInFlight = 6;

private:
    using Block = std::vector<float>;
    using SharedBlock = std::shared_ptr<const Block>;

    // One channel's rate change: the decoded stereo blocks in, that channel's frames out.
    struct Channel
    {
        explicit Channel (size_t capacity)
            : input (capacity)
            , output (capacity)
        {
        }

        BoundedQueue<SharedBlock> input;
        BoundedQueue<Block> output;
        std::thread thread;
        juce::int64 delivered = 0; // written only by the channel's thread
        Block current;             // what next() hands out, on the caller's thread
        size_t used = 0;
    };

    void decode (juce::int64 framesToRead);
    void resample (Channel& channel, size_t index, double inputRate, double outputRate);
    // Hands one channel's frames on to the caller, cut at the output's length; false when the
    // caller is gone.
    bool deliver (Channel& channel, Block&& block);
    bool nextResampled (Frames& frames);
    void cancel();

    quelbix::AbstractReader& reader; // the caller keeps it open until the pipeline is gone
    const juce::int64 totalFrames;
    const bool resampling;

    BoundedQueue<Block> direct; // the decoded frames when the rates agree
    Block current;              // what next() hands out then
    std::array<Channel, 2> channels{Channel (blocksInFlight), Channel (blocksInFlight)};
    std::thread decoder;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConversionPipeline)
};
} // namespace common::AudioFileToolsImpl
