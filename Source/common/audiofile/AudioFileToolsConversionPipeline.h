#pragma once

#include "common/audiofile/AudioFileToolsBoundedQueue.h"
#include "common/reader/AbstractReader.h"

#include <atomic>
#include <thread>
#include <vector>

namespace common::AudioFileToolsImpl
{
// The audio of a conversion, made over threads so that a long file costs about its slowest
// stage rather than the sum of them: one thread decodes the reader's frames, a second changes
// their rate (when the rates differ), and the caller takes the result block by block to write it.
// Bounded queues between the stages keep memory small whatever the length.
//
// Threads: the reader is used only by the decoding thread while the pipeline lives (the caller
// must not touch it meanwhile); next() runs on the caller's thread. Destroying the pipeline
// (after the last block, after a failure or in the middle) cancels both stages and joins their
// threads; a thread is never killed, and each stops within one block.
class ConversionPipeline
{
public:
    // Interleaved stereo float frames at the output rate.
    using Block = std::vector<float>;

    // Starts the threads. The output has exactly outputFrames frames: the source's inputFrames
    // frames at the new rate, cut or padded with silence to that count (with equal rates, the
    // source's frames as they are, silence past its end).
    ConversionPipeline (quelbix::AbstractReader& reader, juce::int64 inputFrames, double inputRate,
                        double outputRate, bool resample, juce::int64 outputFrames);
    ~ConversionPipeline();

    // Waits for the next block; false after the last one (or when the resampler could not be set
    // up, which leaves the output short).
    bool next (Block& block);

    // The source is read in blocks of this many frames; each queue holds a few of them.
    static constexpr int framesPerBlock = 8192;
    static constexpr size_t blocksInFlight = 6;

private:
    void decode (juce::int64 framesToRead);
    void resample (double inputRate, double outputRate);
    // Hands frames on to the caller, cut at the output's length; false when the caller is gone.
    bool deliver (Block&& block);
    void cancel();

    quelbix::AbstractReader& reader; // the caller keeps it open until the pipeline is gone
    const juce::int64 totalFrames;
    const bool resampling;
    juce::int64 delivered = 0; // written only by the stage that delivers to the caller

    BoundedQueue<Block> decoded;
    BoundedQueue<Block> output;
    std::thread decoder;
    std::thread resampler;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConversionPipeline)
};
} // namespace common::AudioFileToolsImpl
