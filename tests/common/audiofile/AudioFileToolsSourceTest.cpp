#include "common/audiofile/AudioFileTools.h"

#include "support/PcmFileBuilder.h"
#include "support/SyntheticAudioReader.h"

#include <gtest/gtest.h>

using common::PositionableAudioSourceImpl;
using common::AudioFileToolsImpl::TovraReaderAudioSource;
using glorvak::test::SyntheticAudioReader;

namespace
{
const auto ramp = SyntheticAudioReader::ramp();

// Fills every sample with a value no reader delivers, so untouched samples show.
void poison (juce::AudioBuffer<float>& buffer)
{
    for (int c = 0; c < buffer.getNumChannels(); ++c)
        juce::FloatVectorOperations::fill (buffer.getWritePointer (c), 7.0f, buffer.getNumSamples());
}

// Frames [start, start + count) of the buffer hold the ramp from frame firstFrame on.
void expectRamp (const juce::AudioBuffer<float>& buffer, int start, int count, int firstFrame)
{
    for (int i = 0; i < count; ++i)
    {
        const auto expected = ramp (firstFrame + i);
        ASSERT_EQ (buffer.getSample (0, start + i), expected.left) << "frame " << i;
        ASSERT_EQ (buffer.getSample (1, start + i), expected.right) << "frame " << i;
    }
}
} // namespace

TEST (PositionableAudioSourceTest, DeliversTheReaderInSlicesOfTheAnnouncedBlockSize)
{
    auto reader = std::make_unique<SyntheticAudioReader> (44100, 100000, ramp);
    auto* observed = reader.get();
    PositionableAudioSourceImpl source (std::move (reader));

    EXPECT_EQ (source.getTotalLength(), 100000);
    EXPECT_EQ (source.getSampleRate(), 44100);
    EXPECT_FALSE (source.isLooping());

    source.prepareToPlay (128, 44100.0);
    source.setNextReadPosition (5000);

    juce::AudioBuffer<float> buffer (4, 1200);
    poison (buffer);
    source.getNextAudioBlock (juce::AudioSourceChannelInfo (&buffer, 7, 1000));

    EXPECT_EQ (observed->largestRead, 128);
    EXPECT_EQ (source.getNextReadPosition(), 6000);
    expectRamp (buffer, 7, 1000, 5000);

    // Channels past the second are silent; frames outside the block are left alone.
    EXPECT_EQ (buffer.findMinMax (2, 7, 1000), juce::Range<float> (0.0f, 0.0f));
    EXPECT_EQ (buffer.findMinMax (3, 7, 1000), juce::Range<float> (0.0f, 0.0f));
    EXPECT_EQ (buffer.getSample (0, 6), 7.0f);
    EXPECT_EQ (buffer.getSample (3, 1007), 7.0f);

    // The next block goes on where this one ended.
    source.getNextAudioBlock (juce::AudioSourceChannelInfo (&buffer, 0, 300));
    expectRamp (buffer, 0, 300, 6000);
}

TEST (PositionableAudioSourceTest, GivesBackEveryPositionBelow2To31)
{
    PositionableAudioSourceImpl source (std::make_unique<SyntheticAudioReader> (48000, 1000, ramp));

    for (juce::int64 position : {(juce::int64)0, (juce::int64)1, (juce::int64)999, (juce::int64)1000,
                                 (juce::int64)123456789, (juce::int64)std::numeric_limits<int>::max()})
    {
        source.setNextReadPosition (position);
        EXPECT_EQ (source.getNextReadPosition(), position);
    }
}

TEST (PositionableAudioSourceTest, PlaysSilenceOutsideTheFile)
{
    auto reader = std::make_unique<SyntheticAudioReader> (48000, 1000, ramp);
    auto* observed = reader.get();
    PositionableAudioSourceImpl source (std::move (reader));
    source.prepareToPlay (512, 48000.0);

    juce::AudioBuffer<float> buffer (2, 512);

    // Across the end: the tail, then silence.
    source.setNextReadPosition (900);
    poison (buffer);
    source.getNextAudioBlock (juce::AudioSourceChannelInfo (&buffer, 0, 512));
    expectRamp (buffer, 0, 100, 900);
    EXPECT_EQ (buffer.findMinMax (0, 100, 412), juce::Range<float> (0.0f, 0.0f));

    // Before the start and at the very top of the position range, without asking the reader for
    // frames it does not have.
    for (juce::int64 position : {(juce::int64)-300, (juce::int64)std::numeric_limits<int>::max() - 10})
    {
        SCOPED_TRACE (position);
        source.setNextReadPosition (position);
        poison (buffer);
        source.getNextAudioBlock (juce::AudioSourceChannelInfo (&buffer, 0, 512));

        const auto silent = position < 0 ? 300 : 512;
        EXPECT_EQ (buffer.findMinMax (0, 0, silent), juce::Range<float> (0.0f, 0.0f));
        EXPECT_EQ (buffer.findMinMax (1, 0, silent), juce::Range<float> (0.0f, 0.0f));
        if (position < 0)
            expectRamp (buffer, 300, 212, 0);
    }

    EXPECT_GE (observed->lowestStart, 0);
}

TEST (PositionableAudioSourceTest, ANullReaderIsSilentAndEmpty)
{
    PositionableAudioSourceImpl source (nullptr);
    EXPECT_EQ (source.getTotalLength(), 0);
    EXPECT_EQ (source.getSampleRate(), 0);

    source.prepareToPlay (64, 44100.0);
    juce::AudioBuffer<float> buffer (2, 100);
    poison (buffer);
    source.getNextAudioBlock (juce::AudioSourceChannelInfo (&buffer, 0, 100));
    EXPECT_EQ (buffer.findMinMax (0, 0, 100), juce::Range<float> (0.0f, 0.0f));
}

TEST (ReaderAudioSourceTest, ReadsBlocksLargerThanAnnouncedOrUnprepared)
{
    SyntheticAudioReader reader (8000, 50000, ramp);
    TovraReaderAudioSource source (&reader);

    juce::AudioBuffer<float> buffer (2, 5000);

    // Not prepared at all, then prepared for less than it is asked for.
    source.getNextAudioBlock (juce::AudioSourceChannelInfo (&buffer, 0, 700));
    expectRamp (buffer, 0, 700, 0);

    source.prepareToPlay (684, 8000.0);
    source.getNextAudioBlock (juce::AudioSourceChannelInfo (&buffer, 0, 5000));
    expectRamp (buffer, 0, 5000, 700);

    source.releaseResources();
    source.getNextAudioBlock (juce::AudioSourceChannelInfo (&buffer, 10, 20));
    expectRamp (buffer, 10, 20, 5700);
}

TEST (PositionableAudioSourceTest, OpensTheUsersFileThroughTheProgramsReaders)
{
    auto folder = juce::File::createTempFile ("source");
    ASSERT_TRUE (folder.createDirectory());
    auto file = folder.getChildFile ("Kick \xc3\xa9.wav");

    const auto samples = glorvak::test::makeTestPattern (3000, 2, 16);
    ASSERT_TRUE (
        glorvak::test::writeBytes (file, glorvak::test::PcmFileBuilder::wav ({48000, 2, 16}, samples)));

    auto source = common::AudioFileTools::createPositionableAudioSource (file);
    ASSERT_NE (source, nullptr);
    EXPECT_EQ (source->getSampleRate(), 48000);
    EXPECT_EQ (source->getTotalLength(), 3000);

    source->prepareToPlay (256, 48000.0);
    source->setNextReadPosition (1000);
    juce::AudioBuffer<float> buffer (2, 600);
    source->getNextAudioBlock (juce::AudioSourceChannelInfo (&buffer, 0, 600));

    for (int i = 0; i < 600; ++i)
    {
        ASSERT_EQ (buffer.getSample (0, i), (float)samples[(size_t)(2 * (1000 + i))] / 32768.0f) << i;
        ASSERT_EQ (buffer.getSample (1, i), (float)samples[(size_t)(2 * (1000 + i) + 1)] / 32768.0f) << i;
    }

    source.reset();
    folder.deleteRecursively();
}
