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
    , direct (blocksInFlight)
{
    if (resampling)
    {
        decoder = std::thread ([this, inputFrames] { decode (inputFrames); });

        for (size_t c = 0; c < channels.size(); ++c)
            channels[c].thread = std::thread ([this, c, inputRate, outputRate]
                                              { resample (channels[c], c, inputRate, outputRate); });
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

    for (auto& channel : channels)
        if (channel.thread.joinable())
            channel.thread.join();
}

void ConversionPipeline::cancel()
{
    direct.cancel();

    for (auto& channel : channels)
    {
        channel.input.cancel();
        channel.output.cancel();
    }
}

bool ConversionPipeline::next (Frames& frames)
{
    if (resampling)
        return nextResampled (frames);

    if (!direct.pop (current))
        return false;

    frames = {current.data(), current.data() + 1, 2, current.size() / 2};
    return true;
}

bool ConversionPipeline::nextResampled (Frames& frames)
{
    // The channels see the same input in the same pieces, so their pieces match too; taking the
    // shorter of the two keeps them together whatever happens.
    for (auto& channel : channels)
        while (channel.used >= channel.current.size())
        {
            if (!channel.output.pop (channel.current))
                return false;

            channel.used = 0;
        }

    auto& left = channels[0];
    auto& right = channels[1];
    const auto count = juce::jmin (left.current.size() - left.used, right.current.size() - right.used);
    frames = {left.current.data() + left.used, right.current.data() + right.used, 1, count};
    left.used += count;
    right.used += count;
    return true;
}

void ConversionPipeline::decode (juce::int64 framesToRead)
{
    juce::Thread::setCurrentThreadName ("Conversion decoder");

    for (juce::int64 start = 0; start < framesToRead;)
    {
        const auto n = (int)juce::jmin (framesToRead - start, (juce::int64)framesPerBlock);
        Block block ((size_t)n * 2);

        // The reader counts frames in an int; frames past its reach read as silence anyway.
        if (start < std::numeric_limits<int>::max())
            reader.read ((int)start, reinterpret_cast<quelbix::StereoSample*> (block.data()),
                         (int)juce::jmin ((juce::int64)n, std::numeric_limits<int>::max() - start));

        if (resampling)
        {
            const auto shared = std::make_shared<const Block> (std::move (block));

            for (auto& channel : channels)
                if (!channel.input.push (SharedBlock (shared)))
                    return;
        }
        else if (!direct.push (std::move (block)))
        {
            return;
        }

        start += n;
    }

    direct.finish();

    for (auto& channel : channels)
        channel.input.finish();
}

void ConversionPipeline::resample (Channel& channel, size_t index, double inputRate, double outputRate)
{
    juce::Thread::setCurrentThreadName (index == 0 ? "Conversion left" : "Conversion right");

    SoxrResampler soxr (inputRate, outputRate, 1);

    if (!soxr.isValid())
    {
        channel.input.cancel();
        channel.output.finish();
        return;
    }

    SharedBlock in;
    Block mono;

    while (channel.delivered < totalFrames && channel.input.pop (in))
    {
        const auto frames = in->size() / 2;
        mono.resize (frames);

        for (size_t i = 0; i < frames; ++i)
            mono[i] = (*in)[i * 2 + index];

        in.reset();
        Block produced;
        soxr.process (mono.data(), frames, produced);

        if (!deliver (channel, std::move (produced)))
            return;
    }

    if (channel.delivered < totalFrames)
    {
        Block rest;
        soxr.flush (rest);

        if (!deliver (channel, std::move (rest)))
            return;
    }

    // The filter's output may end a frame or two early: the length is the rate change's.
    while (channel.delivered < totalFrames)
        if (!deliver (channel, Block ((size_t)juce::jmin (totalFrames - channel.delivered,
                                                          (juce::int64)framesPerBlock))))
            return;

    channel.output.finish();
}

bool ConversionPipeline::deliver (Channel& channel, Block&& block)
{
    const auto n = juce::jmin ((juce::int64)block.size(), totalFrames - channel.delivered);

    if (n <= 0)
        return true;

    block.resize ((size_t)n);
    channel.delivered += n;
    return channel.output.push (std::move (block));
}
} // namespace common::AudioFileToolsImpl
