#include "common/audiofile/AudioFileToolsConversionPipeline.h"
#include "common/audiofile/AudioFileToolsBoundedQueue.h"
#include "support/SyntheticAudioReader.h"

#include <gtest/gtest.h>

#include <future>
#include <sched.h>

using common::AudioFileToolsImpl::BoundedQueue;
using common::AudioFileToolsImpl::ConversionPipeline;
using glorvak::test::SyntheticAudioReader;

namespace
{
TEST (BoundedQueue, DeliversInOrderAndHoldsNoMoreThanItsCapacity)
{
    // The producer of a full queue waits until half of it is taken: every size, odd and even.
    for (size_t capacity : {(size_t)1, (size_t)2, (size_t)3, (size_t)6, (size_t)32})
    {
        SCOPED_TRACE ((int)capacity);
        BoundedQueue<int> queue (capacity);
        std::atomic<int> pushed{0};

        auto producer = std::async (std::launch::async,
                                    [&]
                                    {
                                        for (int i = 0; i < 1000; ++i)
                                        {
                                            int item = i;
                                            if (!queue.push (std::move (item)))
                                                return false;
                                            ++pushed;
                                        }

                                        queue.finish();
                                        return true;
                                    });

        int expected = 0, item = -1;

        while (queue.pop (item))
        {
            EXPECT_EQ (item, expected++);
            // The producer can be at most the capacity ahead of what was taken (plus the one taken).
            EXPECT_LE (pushed.load(), expected + (int)capacity);
        }

        EXPECT_EQ (expected, 1000);
        EXPECT_TRUE (producer.get());
    }
}

TEST (BoundedQueue, CancelWakesAWaitingProducerAndAWaitingConsumer)
{
    BoundedQueue<int> full (1);
    int one = 1;
    ASSERT_TRUE (full.push (std::move (one)));
    auto producer = std::async (std::launch::async,
                                [&]
                                {
                                    int two = 2;
                                    return full.push (std::move (two));
                                });

    BoundedQueue<int> empty (1);
    auto consumer = std::async (std::launch::async,
                                [&]
                                {
                                    int item = 0;
                                    return empty.pop (item);
                                });

    full.cancel();
    empty.cancel();
    EXPECT_FALSE (producer.get());
    EXPECT_FALSE (consumer.get());

    int item = 0;
    EXPECT_FALSE (full.pop (item)) << "a cancelled queue drops what it held";
}

TEST (BoundedQueue, FinishLetsTheConsumerTakeWhatIsLeft)
{
    BoundedQueue<int> queue (4);

    for (int i = 0; i < 3; ++i)
    {
        int item = i;
        ASSERT_TRUE (queue.push (std::move (item)));
    }

    queue.finish();
    int late = 9;
    EXPECT_FALSE (queue.push (std::move (late)));

    int item = -1, count = 0;
    while (queue.pop (item))
        EXPECT_EQ (item, count++);

    EXPECT_EQ (count, 3);
}

juce::int64 roundedFrames (juce::int64 length, double from, double to)
{
    return (juce::int64) ((double)length / (from / to) + 0.5);
}

TEST (ConversionPipeline, DeliversExactlyTheFramesAskedFor)
{
    struct Case
    {
        int rate, length;
        bool resample;
    };

    for (auto c : {Case{44100, 44100, true}, Case{8000, 12345, true}, Case{192000, 1001, true},
                   Case{96000, 70000, false}, Case{96000, 1, false}})
    {
        SCOPED_TRACE (juce::String (c.rate) + " Hz, " + juce::String (c.length) + " frames");
        SyntheticAudioReader reader (c.rate, c.length, SyntheticAudioReader::sine (440.0, c.rate, 0.5f));
        const auto total = c.resample ? roundedFrames (c.length, c.rate, 96000.0) : (juce::int64)c.length;
        juce::int64 received = 0;
        {
            ConversionPipeline pipeline (reader, c.length, c.rate, 96000.0, c.resample, total);
            ConversionPipeline::Frames frames;

            while (pipeline.next (frames))
            {
                ASSERT_GT (frames.count, 0u);
                received += (juce::int64)frames.count;
            }
        }
        EXPECT_EQ (received, total);
    }
}

TEST (ConversionPipeline, WithEqualRatesTheFramesPassUntouched)
{
    SyntheticAudioReader reader (96000, 30000, SyntheticAudioReader::ramp());
    ConversionPipeline pipeline (reader, 30000, 96000.0, 96000.0, false, 30000);
    ConversionPipeline::Frames frames;
    const auto ramp = SyntheticAudioReader::ramp();
    int frame = 0;

    while (pipeline.next (frames))
        for (size_t i = 0; i < frames.count; ++i, ++frame)
        {
            ASSERT_EQ (frames.left[i * frames.stride], ramp (frame).left) << frame;
            ASSERT_EQ (frames.right[i * frames.stride], ramp (frame).right) << frame;
        }

    EXPECT_EQ (frame, 30000);
}

// A reader that counts its reads from any thread.
class CountingReader : public SyntheticAudioReader
{
public:
    using SyntheticAudioReader::SyntheticAudioReader;

    void read (int startSample, quelbix::StereoSample* dest, int numFrames) override
    {
        ++reads;
        SyntheticAudioReader::read (startSample, dest, numFrames);
    }

    std::atomic<int> reads{0};
};

TEST (ConversionPipeline, DestroyingItMidwayStopsBothStagesAndLeavesTheReaderAlone)
{
    for (bool resample : {true, false})
    {
        SCOPED_TRACE (resample ? "resampling" : "same rate");
        // An hour at 44100 Hz: far more than the queues hold.
        const int length = 44100 * 3600;
        CountingReader reader (44100, length, SyntheticAudioReader::sine (440.0, 44100, 0.5f));
        {
            ConversionPipeline pipeline (reader, length, 44100.0, resample ? 96000.0 : 44100.0, resample,
                                         resample ? roundedFrames (length, 44100.0, 96000.0) : length);
            ConversionPipeline::Frames frames;
            ASSERT_TRUE (pipeline.next (frames));
            ASSERT_TRUE (pipeline.next (frames));
        }

        // Joined: nothing reads any more, and only a few blocks were read ahead.
        const auto readsAtEnd = reader.reads.load();
        EXPECT_LT (readsAtEnd, 2 * (int)ConversionPipeline::blocksInFlight + 8);
        EXPECT_EQ (reader.reads.load(), readsAtEnd);
    }
}
} // namespace

namespace
{
// A reader that gives other readers of the same audio, as the compressed formats' readers do,
// each counting its reads into the shared counters; after `othersToGive` it gives no more, like a
// file that cannot be opened again.
class ReaderWithOthers : public SyntheticAudioReader
{
public:
    struct Shared
    {
        std::atomic<int> reads{0};
        std::atomic<int> othersGiven{0};
        int othersToGive = 0;
    };

    ReaderWithOthers (int rate, int length, std::shared_ptr<Shared> sharedToUse)
        : SyntheticAudioReader (rate, length, numbered())
        , rateUsed (rate)
        , lengthUsed (length)
        , shared (std::move (sharedToUse))
    {
    }

    // Every frame its own value (exact in a float up to 2^24 frames), so that a chunk in the wrong
    // place shows.
    static Generator numbered()
    {
        return [] (int frame) {
            return quelbix::StereoSample{(float)frame / 16777216.0f, -(float)frame / 16777216.0f};
        };
    }

    void read (int startSample, quelbix::StereoSample* dest, int numFrames) override
    {
        ++shared->reads;
        SyntheticAudioReader::read (startSample, dest, numFrames);
    }

    std::unique_ptr<quelbix::AbstractReader> openAnother() const override
    {
        if (shared->othersGiven.load() >= shared->othersToGive)
            return nullptr;

        ++shared->othersGiven;
        return std::make_unique<ReaderWithOthers> (rateUsed, lengthUsed, shared);
    }

private:
    const int rateUsed, lengthUsed;
    std::shared_ptr<Shared> shared;
};

TEST (ConversionPipeline, SeveralDecodingThreadsDeliverEveryFrameInItsPlace)
{
    // Chunks dealt out to up to four threads; an odd length ends inside a chunk and a block.
    constexpr int length = ConversionPipeline::chunkBlocks * ConversionPipeline::framesPerBlock * 9 + 12345;

    for (int others : {3, 1, 0})
    {
        SCOPED_TRACE (juce::String (others) + " other readers");
        auto shared = std::make_shared<ReaderWithOthers::Shared>();
        shared->othersToGive = others;
        ReaderWithOthers reader (96000, length, shared);
        const auto expected = ReaderWithOthers::numbered();
        int frame = 0;
        {
            ConversionPipeline pipeline (reader, length, 96000.0, 96000.0, false, length, 4);
            ConversionPipeline::Frames frames;

            while (pipeline.next (frames))
                for (size_t i = 0; i < frames.count; ++i, ++frame)
                {
                    ASSERT_EQ (frames.left[i * frames.stride], expected (frame).left) << frame;
                    ASSERT_EQ (frames.right[i * frames.stride], expected (frame).right) << frame;
                }
        }

        EXPECT_EQ (frame, length);
        EXPECT_EQ (shared->othersGiven.load(), others);
    }
}

TEST (ConversionPipeline, SeveralDecodingThreadsKeepTheRateChangeWhole)
{
    // The same source through one decoding thread and through four: the same output.
    constexpr int length = ConversionPipeline::chunkBlocks * ConversionPipeline::framesPerBlock * 5 + 999;
    const auto total = roundedFrames (length, 44100.0, 96000.0);

    auto convert = [&] (int threads)
    {
        auto shared = std::make_shared<ReaderWithOthers::Shared>();
        shared->othersToGive = threads - 1;
        ReaderWithOthers reader (44100, length, shared);
        std::vector<float> out;
        ConversionPipeline pipeline (reader, length, 44100.0, 96000.0, true, total, threads);
        ConversionPipeline::Frames frames;

        while (pipeline.next (frames))
            for (size_t i = 0; i < frames.count; ++i)
            {
                out.push_back (frames.left[i * frames.stride]);
                out.push_back (frames.right[i * frames.stride]);
            }

        return out;
    };

    const auto one = convert (1);
    ASSERT_EQ ((juce::int64)one.size(), total * 2);
    EXPECT_TRUE (convert (4) == one);
}

// Half the cores decode, two at least where there are two: a process held to a few cores
// (taskset, a container) plans for those, whatever the machine has.
TEST (ConversionPipeline, DecodesOnAsManyThreadsAsTheCoresItMayUseAllow)
{
    using Pipeline = common::AudioFileToolsImpl::ConversionPipeline;
    const juce::int64 longFile = (juce::int64)Pipeline::framesPerBlock * Pipeline::chunkBlocks * 20;
    EXPECT_EQ (Pipeline::decodersFor (Pipeline::framesPerBlock), 1) << "a short file";

    cpu_set_t all;
    ASSERT_EQ (sched_getaffinity (0, sizeof (all), &all), 0);

    auto confinedTo = [&all, longFile] (int count)
    {
        cpu_set_t some;
        CPU_ZERO (&some);

        for (int cpu = 0, taken = 0; cpu < CPU_SETSIZE && taken < count; ++cpu)
            if (CPU_ISSET (cpu, &all))
            {
                CPU_SET (cpu, &some);
                ++taken;
            }

        EXPECT_EQ (sched_setaffinity (0, sizeof (some), &some), 0);
        const auto decoders = Pipeline::decodersFor (longFile);
        EXPECT_EQ (sched_setaffinity (0, sizeof (all), &all), 0);
        return decoders;
    };

    EXPECT_EQ (confinedTo (1), 1);

    if (CPU_COUNT (&all) < 4)
        GTEST_SKIP() << "needs at least four cores to compare with two";

    EXPECT_EQ (confinedTo (2), 2);
    EXPECT_EQ (Pipeline::decodersFor (longFile),
               juce::jmin (Pipeline::maxDecoders, juce::jmax (2, CPU_COUNT (&all) / 2)));
}

TEST (ConversionPipeline, DestroyingItMidwayStopsEveryDecodingThread)
{
    for (bool resample : {true, false})
    {
        SCOPED_TRACE (resample ? "resampling" : "same rate");
        const int length = 44100 * 3600;
        auto shared = std::make_shared<ReaderWithOthers::Shared>();
        shared->othersToGive = 3;
        ReaderWithOthers reader (44100, length, shared);
        {
            ConversionPipeline pipeline (reader, length, 44100.0, resample ? 96000.0 : 44100.0, resample,
                                         resample ? roundedFrames (length, 44100.0, 96000.0) : length, 4);
            ConversionPipeline::Frames frames;
            ASSERT_TRUE (pipeline.next (frames));
            ASSERT_TRUE (pipeline.next (frames));
        }

        // Joined: nothing reads any more, and each thread read at most about a chunk ahead.
        const auto readsAtEnd = shared->reads.load();
        EXPECT_LT (readsAtEnd, 4 * (ConversionPipeline::chunkBlocks + 2));
        EXPECT_EQ (shared->reads.load(), readsAtEnd);
    }
}
} // namespace
