#include "common/audiofile/AudioFileToolsConversionPipeline.h"

#include "common/audiofile/AudioFileToolsSoxrResampler.h"

namespace common::AudioFileToolsImpl
{
static_assert (sizeof (quelbix::StereoSample) == 2 * sizeof (float),
               "the reader's frames are taken as interleaved floats");

ConversionPipeline::ConversionPipeline (quelbix::AbstractReader& readerToUse, juce::int64 inputFrames,
                                        double inputRate, double outputRate, bool shouldResample,
                                        juce::int64 outputFrames)
    : reader (readerToUse)
    , totalFrames (juce::jmax ((juce::int64)0, outputFrames))
    , resampling (shouldResample)
    , decoded (blocksInFlight)
    , output (blocksInFlight)
{
    if (resampling)
    {
        decoder = std::thread ([this, inputFrames] { decode (inputFrames); });
        resampler = std::thread ([this, inputRate, outputRate] { resample (inputRate, outputRate); });
    }
    else
    {
        // The same frames at the same rate: the decoding stage hands them straight to the caller.
        decoder = std::thread ([this] { decode (totalFrames); });
    }
}

ConversionPipeline::~ConversionPipeline()
{
    cancel();

    if (decoder.joinable())
        decoder.join();

    if (resampler.joinable())
        resampler.join();
}

void ConversionPipeline::cancel()
{
    decoded.cancel();
    output.cancel();
}

bool ConversionPipeline::next (Block& block)
{
    return output.pop (block);
}

void ConversionPipeline::decode (juce::int64 framesToRead)
{
    juce::Thread::setCurrentThreadName ("Conversion decoder");
    auto& target = resampling ? decoded : output;

    for (juce::int64 start = 0; start < framesToRead;)
    {
        const auto n = (int)juce::jmin (framesToRead - start, (juce::int64)framesPerBlock);
        Block block ((size_t)n * 2);

        // The reader counts frames in an int; frames past its reach read as silence anyway.
        if (start < std::numeric_limits<int>::max())
            reader.read ((int)start, reinterpret_cast<quelbix::StereoSample*> (block.data()),
                         (int)juce::jmin ((juce::int64)n, std::numeric_limits<int>::max() - start));

        if (!target.push (std::move (block)))
            return;

        start += n;
    }

    target.finish();
}

void ConversionPipeline::resample (double inputRate, double outputRate)
{
    juce::Thread::setCurrentThreadName ("Conversion resampler");

    // libsoxr runs the two channels on two threads of its own while this one waits for them.
    SoxrResampler soxr (inputRate, outputRate, 2);

    if (!soxr.isValid())
    {
        decoded.cancel();
        output.finish();
        return;
    }

    Block in;

    while (delivered < totalFrames && decoded.pop (in))
    {
        Block produced;
        soxr.process (in.data(), in.size() / 2, produced);

        if (!deliver (std::move (produced)))
            return;
    }

    if (delivered < totalFrames)
    {
        Block rest;
        soxr.flush (rest);

        if (!deliver (std::move (rest)))
            return;
    }

    // The filter's output may end a frame or two early: the length is the rate change's.
    while (delivered < totalFrames)
        if (!deliver (Block ((size_t)juce::jmin (totalFrames - delivered, (juce::int64)framesPerBlock) * 2)))
            return;

    output.finish();
}

bool ConversionPipeline::deliver (Block&& block)
{
    const auto n = juce::jmin ((juce::int64)block.size() / 2, totalFrames - delivered);

    if (n <= 0)
        return true;

    block.resize ((size_t)n * 2);
    delivered += n;
    return output.push (std::move (block));
}
} // namespace common::AudioFileToolsImpl
