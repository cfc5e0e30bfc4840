#include "common/audiofile/AudioFileToolsConversionPipeline.h"

#include "common/audiofile/AudioFileToolsSoxrResampler.h"

#if JUCE_LINUX
#include <sched.h>
#endif

namespace common::AudioFileToolsImpl
{
static_assert (sizeof (quelbix::StereoSample) == 2 * sizeof (float),
               "the reader's frames are taken as interleaved floats");

namespace
{
constexpr juce::int64 chunkFrames =
    (juce::int64)ConversionPipeline::chunkBlocks * ConversionPipeline::framesPerBlock;

// The cores this thread may run on: a process confined to a few (taskset, a container's cpuset)
// must not plan for the whole machine's.
int usableCores()
{
#if JUCE_LINUX
    cpu_set_t allowed;
    CPU_ZERO (&allowed);

    if (sched_getaffinity (0, sizeof (allowed), &allowed) == 0 && CPU_COUNT (&allowed) > 0)
        return CPU_COUNT (&allowed);
#endif

    return juce::jmax (1, (int)std::thread::hardware_concurrency());
}
} // namespace

int ConversionPipeline::decodersFor (juce::int64 inputFrames)
{
    // A file of two chunks or less gains too little for the readers' opening.
    if (inputFrames <= 2 * chunkFrames)
        return 1;

    // Half the cores: the rate change and the writing need theirs too. Two cores still get two
    // decoding threads: a slow decoder (ALAC) is then the one stage that keeps both busy, and
    // the others wait for it anyway (measured: a minute of ALAC 17% faster than with one).
    const auto cores = usableCores();
    const auto threads = cores >= 2 ? juce::jmax (2, cores / 2) : 1;
    return juce::jlimit (1, maxDecoders,
                         juce::jmin (threads, (int)((inputFrames + chunkFrames - 1) / chunkFrames)));
}

ConversionPipeline::ConversionPipeline (quelbix::AbstractReader& readerToUse, juce::int64 inputFrames,
                                        double inputRate, double outputRate, bool shouldResample,
                                        juce::int64 outputFrames, int decodingThreads)
    : totalFrames (juce::jmax ((juce::int64)0, outputFrames))
    , resampling (shouldResample)
{
    // With equal rates the caller reads exactly the output's frames, silence past the source.
    const auto framesToRead = resampling ? inputFrames : totalFrames;

    // From here on the caller's reader is read straight through, by the first decoding thread.
    readerToUse.prepareToReadThrough();

    // The other readers are opened here, one after another; one that does not open (or reads
    // another length) leaves the work to those that did.
    std::vector<std::unique_ptr<quelbix::AbstractReader>> others;

    for (int i = 1; i < juce::jmin (decodingThreads, maxDecoders); ++i)
    {
        auto another = readerToUse.openAnother();

        if (another == nullptr || another->getLengthInSamples() != readerToUse.getLengthInSamples())
            break;

        others.push_back (std::move (another));
    }

    // One decoding thread runs a whole chunk ahead of the stages after it; a lone one a few blocks.
    const auto capacity = others.empty() ? blocksInFlight : (size_t)chunkBlocks;
    decoders.push_back (std::make_unique<Decoder> (capacity));
    decoders.front()->reader = &readerToUse;

    for (auto& another : others)
    {
        decoders.push_back (std::make_unique<Decoder> (capacity));
        decoders.back()->ownReader = std::move (another);
        decoders.back()->reader = decoders.back()->ownReader.get();
    }

    for (size_t d = 0; d < decoders.size(); ++d)
        decoders[d]->thread =
            std::thread ([this, d, framesToRead] { decode (*decoders[d], d, framesToRead); });

    if (resampling)
        for (size_t c = 0; c < channels.size(); ++c)
            channels[c].thread = std::thread ([this, c, inputRate, outputRate]
                                              { resample (channels[c], c, inputRate, outputRate); });
}

ConversionPipeline::~ConversionPipeline()
{
    cancel();

    for (auto& decoder : decoders)
        if (decoder->thread.joinable())
            decoder->thread.join();

    for (auto& channel : channels)
        if (channel.thread.joinable())
            channel.thread.join();
}

void ConversionPipeline::cancel()
{
    for (auto& decoder : decoders)
        for (auto& queue : decoder->queues)
            queue.cancel();

    for (auto& channel : channels)
        channel.output.cancel();
}

bool ConversionPipeline::nextDecoded (size_t taker, juce::int64& blockNumber, SharedBlock& block)
{
    const auto decoder = (size_t)((blockNumber / chunkBlocks) % (juce::int64)decoders.size());

    if (!decoders[decoder]->queues[taker].pop (block))
        return false;

    ++blockNumber;
    return true;
}

bool ConversionPipeline::next (Frames& frames)
{
    if (resampling)
        return nextResampled (frames);

    if (!nextDecoded (0, nextDirectBlock, current))
        return false;

    frames = {current->data(), current->data() + 1, 2, current->size() / 2};
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

void ConversionPipeline::decode (Decoder& decoder, size_t index, juce::int64 framesToRead)
{
    juce::Thread::setCurrentThreadName ("Conversion decoder");
    const auto stride = (juce::int64)decoders.size();
    const size_t takers = resampling ? channels.size() : 1;
    const auto chunk = stride > 1 ? chunkFrames : framesToRead;

    for (auto chunkStart = (juce::int64)index * chunk; chunkStart < framesToRead;
         chunkStart += stride * chunk)
    {
        const auto chunkEnd = juce::jmin (framesToRead, chunkStart + chunk);

        for (auto start = chunkStart; start < chunkEnd;)
        {
            const auto n = (int)juce::jmin (chunkEnd - start, (juce::int64)framesPerBlock);
            auto block = std::make_shared<Block> ((size_t)n * 2);

            // The reader counts frames in an int; frames past its reach read as silence anyway.
            if (start < std::numeric_limits<int>::max())
                decoder.reader->read (
                    (int)start, reinterpret_cast<quelbix::StereoSample*> (block->data()),
                    (int)juce::jmin ((juce::int64)n, std::numeric_limits<int>::max() - start));

            const SharedBlock shared (std::move (block));

            for (size_t t = 0; t < takers; ++t)
                if (!decoder.queues[t].push (SharedBlock (shared)))
                    return;

            start += n;
        }
    }

    for (auto& queue : decoder.queues)
        queue.finish();
}

void ConversionPipeline::resample (Channel& channel, size_t index, double inputRate, double outputRate)
{
    juce::Thread::setCurrentThreadName (index == 0 ? "Conversion left" : "Conversion right");

    SoxrResampler soxr (inputRate, outputRate, 1);

    if (!soxr.isValid())
    {
        channel.output.finish();
        return;
    }

    SharedBlock in;
    Block mono;
    juce::int64 blockNumber = 0;

    while (channel.delivered < totalFrames && nextDecoded (index, blockNumber, in))
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
