#include "common/player/LoopingSource.h"

#include <gtest/gtest.h>

using common::player::LoopingSource;

namespace
{
constexpr int rampLength = 10000;

// A ramp that is never zero, so any gap of silence shows.
juce::AudioBuffer<float> makeRamp()
{
    juce::AudioBuffer<float> ramp (2, rampLength);

    for (int i = 0; i < rampLength; ++i)
        for (int c = 0; c < 2; ++c)
            ramp.setSample (c, i, (float)(i + 1) / (float)(rampLength + 1));

    return ramp;
}

float rampValue (juce::int64 i)
{
    return (float)(i + 1) / (float)(rampLength + 1);
}

// The transport over a ramp source, prepared as the audio device would prepare it.
struct RampTransport
{
    RampTransport (double sourceRate, double deviceRate, int blockSize)
    {
        looping.setSource (&ramp, 0, nullptr, sourceRate);
        looping.prepareToPlay (blockSize, deviceRate);
    }

    ~RampTransport() { looping.setSource (nullptr); }

    juce::AudioBuffer<float> rampBuffer = makeRamp();
    juce::MemoryAudioSource ramp{rampBuffer, false};
    LoopingSource looping;
};

// Pulls blocks from the transport as the audio device would, without a device.
std::vector<float> render (juce::AudioSource& source, int blockSize, int numBlocks)
{
    std::vector<float> out;
    juce::AudioBuffer<float> block (2, blockSize);

    for (int b = 0; b < numBlocks; ++b)
    {
        block.clear();
        source.getNextAudioBlock (juce::AudioSourceChannelInfo (block));
        out.insert (out.end(), block.getReadPointer (0), block.getReadPointer (0) + blockSize);
    }

    return out;
}

struct Rates
{
    double source;
    double device;
    int blockSize;
};

class LoopCrossings : public ::testing::TestWithParam<Rates>
{
};

TEST_P (LoopCrossings, LoopPlaysWithoutSilenceAtEveryCrossing)
{
    const auto& r = GetParam();
    RampTransport transport (r.source, r.device, r.blockSize);
    auto& looping = transport.looping;

    const double ratio = r.device / r.source;
    const juce::Range<juce::int64> range{(juce::int64) (2000 * ratio), (juce::int64) (5000 * ratio)};
    looping.setLooping (true);
    looping.setLoopRange (range);
    looping.setNextReadPosition (range.getStart());
    looping.start();

    const int loops = 6;
    const auto out = render (looping, r.blockSize, (int)(range.getLength() * loops / r.blockSize) + 2);

    int crossings = 0;
    // The resampler starts from an empty history, so its first outputs fade in.
    const size_t resamplerWarmUp = 16;

    for (size_t k = 0; k < out.size(); ++k)
    {
        ASSERT_NE (out[k], 0.0f) << "silence at output sample " << k;

        // The jump back from the end falls through the middle of the range; playing forward never does.
        const float middle = 0.5f * (rampValue (5000) + rampValue (2000));

        if (k > 0 && out[k] < middle && out[k - 1] >= middle)
            ++crossings;

        if (r.source == r.device)
            ASSERT_EQ (out[k], rampValue (2000 + (juce::int64)k % 3000)) << "output sample " << k;
        else if (k >= resamplerWarmUp)
            // The interpolator swings a little past the jump from end to start; a gap would
            // drop towards zero.
            ASSERT_TRUE (out[k] > 0.75f * rampValue (2000) && out[k] < rampValue (5050))
                << "output sample " << k << ": " << out[k];
    }

    EXPECT_GE (crossings, loops - 1);
    EXPECT_LE (crossings, loops + 1);

    // The position the waveform shows stays inside the range however far the reading ran on.
    const auto position = looping.getNextReadPosition();
    EXPECT_GE (position, range.getStart() - 1);
    EXPECT_LT (position, range.getEnd() + 1);
}

INSTANTIATE_TEST_SUITE_P (Rates, LoopCrossings,
                          ::testing::Values (Rates{44100.0, 44100.0, 512}, Rates{48000.0, 48000.0, 333},
                                             Rates{44100.0, 48000.0, 512}, Rates{48000.0, 44100.0, 480},
                                             Rates{22050.0, 96000.0, 256}));

TEST (LoopingSource, ReadAheadRunsAcrossTheLoopWithoutGaps)
{
    // What the player builds: the transport's read-ahead buffer reading from the looper.
    auto rampBuffer = makeRamp();
    juce::MemoryAudioSource ramp (rampBuffer, false);
    LoopingSource::RangeLooper looper (ramp);
    looper.setLoop ({7000, 9000}, true);

    juce::TimeSliceThread thread ("read-ahead");
    thread.startThread();
    juce::BufferingAudioSource buffering (&looper, thread, false, 0x8000, 2);
    buffering.prepareToPlay (512, 44100.0);
    buffering.setNextReadPosition (7000);

    juce::AudioBuffer<float> block (2, 512);

    for (int b = 0; b < 40; ++b)
    {
        const juce::AudioSourceChannelInfo info (block);
        ASSERT_TRUE (buffering.waitForNextAudioBlockReady (info, 5000));
        buffering.getNextAudioBlock (info);

        for (int i = 0; i < 512; ++i)
            ASSERT_EQ (block.getSample (0, i), rampValue (7000 + (b * 512 + i) % 2000))
                << "block " << b << " sample " << i;
    }

    buffering.releaseResources();
    thread.stopThread (2000);
}

TEST (LoopingSource, OneShotStopsWithinOneBlockAfterTheRangeEnd)
{
    RampTransport transport (44100.0, 44100.0, 256);
    auto& looping = transport.looping;
    looping.setLooping (false);
    looping.setLoopRange ({1000, 3000});
    looping.setNextReadPosition (1000);

    bool stopMessage = false;
    struct Listener : juce::ChangeListener
    {
        std::function<void()> onChange;
        void changeListenerCallback (juce::ChangeBroadcaster*) override { onChange(); }
    } listener;
    listener.onChange = [&] { stopMessage = stopMessage || !looping.isPlaying(); };
    looping.addChangeListener (&listener);

    looping.start();
    std::vector<float> out;
    int blocks = 0;

    while (looping.isPlaying() && blocks < 100)
    {
        const auto block = render (looping, 256, 1);
        out.insert (out.end(), block.begin(), block.end());
        ++blocks;
    }

    // 2000 samples are 7.8 blocks: the eighth block holds the end, and playback stops with it.
    EXPECT_EQ (blocks, 8);

    for (size_t k = 0; k < out.size(); ++k)
        ASSERT_EQ (out[k], k < 2000 ? rampValue (1000 + (juce::int64)k) : 0.0f) << "sample " << k;

    const auto deadline = juce::Time::getMillisecondCounter() + 5000;

    while (!stopMessage && juce::Time::getMillisecondCounter() < deadline)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (10);

    EXPECT_TRUE (stopMessage);
    looping.removeChangeListener (&listener);
}

TEST (LoopingSource, WholeSourcePlaysToItsEndWhenTheDeviceRateDiffers)
{
    for (const double deviceRate : {48000.0, 32000.0})
    {
        SCOPED_TRACE (deviceRate);
        RampTransport transport (44100.0, deviceRate, 512);
        auto& looping = transport.looping;
        looping.setLoopRangeToWholeSource();
        looping.setNextReadPosition (0);
        looping.start();

        std::vector<float> out;

        for (int blocks = 0; looping.isPlaying() && blocks < 200; ++blocks)
        {
            const auto block = render (looping, 512, 1);
            out.insert (out.end(), block.begin(), block.end());
        }

        const auto audible = std::count_if (out.begin(), out.end(), [] (float v) { return v != 0.0f; });
        const auto expected = (long)(rampLength * deviceRate / 44100.0);
        // The resampler's filter smears a little around the end; stopping at the file's length in
        // its own samples instead would lose 8 % at 48000 Hz.
        EXPECT_NEAR ((double)audible, (double)expected, expected * 0.01);
        EXPECT_GT (*std::max_element (out.begin(), out.end()), rampValue (rampLength - 3));
        EXPECT_EQ (looping.getLoopRange().getEnd(), looping.getTotalLength());
    }
}

TEST (LoopingSource, RangeEndBeforeStartIsRaisedToTheStartAndStoppedSourceMovesThere)
{
    RampTransport transport (44100.0, 44100.0, 512);
    auto& looping = transport.looping;

    looping.setLoopRange ({4000, 2000});
    EXPECT_EQ (looping.getLoopRange(), juce::Range<juce::int64> (4000, 4000));

    looping.setLoopRange ({3000, 6000});
    EXPECT_EQ (looping.getNextReadPosition(), 3000);
}
} // namespace

namespace
{
TEST (LoopingSource, WhileLoopingTheLengthIsTheSourcesAtTheDeviceRate)
{
    // At 8000 Hz played at 48000 Hz an endless length overflowed the transport's conversion.
    for (const auto& rates : {Rates{44100.0, 44100.0, 512}, Rates{8000.0, 48000.0, 512},
                              Rates{11025.0, 96000.0, 512}, Rates{96000.0, 48000.0, 512}})
    {
        SCOPED_TRACE (rates.device / rates.source);
        RampTransport transport (rates.source, rates.device, rates.blockSize);
        auto& looping = transport.looping;
        looping.setLooping (true);
        looping.setLoopRange ({100, 900});

        const auto expected = (juce::int64) (rampLength * rates.device / rates.source);
        EXPECT_NEAR ((double)looping.getTotalLength(), (double)expected, 1.0);
        EXPECT_NEAR (looping.getLengthInSeconds(), rampLength / rates.source, 1.0e-3);
    }
}
} // namespace
