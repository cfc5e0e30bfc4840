#include "common/reader/qm/WindowsMediaAudioFormat.h"
#include "common/reader/qm/WMAudioReader.h"
#include "support/AacFixtures.h"

#include <gtest/gtest.h>

namespace
{
using aacfixtures::AacOptions;

std::unique_ptr<juce::AudioFormatReader> openReader (const juce::File& file)
{
    qm::WindowsMediaAudioFormat format;
    return std::unique_ptr<juce::AudioFormatReader> (
        format.createReaderFor (file.createInputStream().release(), true));
}

juce::AudioBuffer<float> readBlock (juce::AudioFormatReader& reader, juce::int64 start, int numSamples)
{
    juce::AudioBuffer<float> buffer ((int)reader.numChannels, numSamples);
    buffer.clear();
    reader.read (&buffer, 0, numSamples, start, true, true);
    return buffer;
}

struct Container
{
    const char* muxer;
    const char* extension;
};

class DecodedAac : public testing::TestWithParam<Container>
{
protected:
    juce::File write (AacOptions options)
    {
        options.muxer = GetParam().muxer;
        auto file = aacfixtures::makeTempFile (juce::String ("sine") + GetParam().extension);
        EXPECT_TRUE (aacfixtures::writeAacFile (file, options));
        return file;
    }
};

TEST_P (DecodedAac, OpensWithTheEncodedRateChannelsAndLength)
{
    struct Case
    {
        int rate, channels;
    };

    for (auto c : {Case{44100, 2}, Case{48000, 1}, Case{22050, 2}})
    {
        SCOPED_TRACE (juce::String (c.rate) + " Hz, " + juce::String (c.channels) + " channels");
        AacOptions options;
        options.sampleRate = c.rate;
        options.numChannels = c.channels;
        options.numFrames = c.rate * 2;

        auto reader = openReader (write (options));
        ASSERT_NE (reader, nullptr);
        EXPECT_EQ (reader->sampleRate, c.rate);
        EXPECT_EQ ((int)reader->numChannels, c.channels);
        EXPECT_EQ ((int)reader->bitsPerSample, 16);
        // MP4 states its duration; an ADTS stream's is estimated from its bit rate.
        EXPECT_NEAR ((double)reader->lengthInSamples, options.numFrames, options.numFrames * 0.05);
    }
}

TEST_P (DecodedAac, JumpsGiveTheSamplesOfSequentialDecoding)
{
    AacOptions options;
    options.numFrames = 100000;
    const auto file = write (options);

    auto sequential = openReader (file);
    ASSERT_NE (sequential, nullptr);
    const int total = 90000;
    juce::AudioBuffer<float> whole (2, total);

    for (int start = 0; start < total; start += 1000)
    {
        auto block = readBlock (*sequential, start, juce::jmin (1000, total - start));

        for (int c = 0; c < 2; ++c)
            whole.copyFrom (c, start, block, c, 0, block.getNumSamples());
    }

    EXPECT_GT (whole.getMagnitude (0, 0, total), 0.2f);

    auto jumping = openReader (file);
    ASSERT_NE (jumping, nullptr);

    for (int start : {50000, 0, 1000, 4095, 4096, 2047, 30001, 89000, 8192, 10})
    {
        SCOPED_TRACE (start);
        const int n = juce::jmin (777, total - start);
        auto block = readBlock (*jumping, start, n);
        int mismatches = 0;

        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < n; ++i)
                mismatches += block.getSample (c, i) != whole.getSample (c, start + i);

        EXPECT_EQ (mismatches, 0);
    }
}

TEST_P (DecodedAac, ReadsPastTheEndAreSilent)
{
    AacOptions options;
    options.numFrames = 20000;
    auto reader = openReader (write (options));
    ASSERT_NE (reader, nullptr);

    for (juce::int64 start : {(juce::int64)25000, (juce::int64)1 << 33, (juce::int64)30000})
    {
        SCOPED_TRACE (start);
        EXPECT_EQ (readBlock (*reader, start, 3000).getMagnitude (0, 3000), 0.0f);
    }
}

INSTANTIATE_TEST_SUITE_P (Containers, DecodedAac,
                          testing::Values (Container{"ipod", ".m4a"}, Container{"adts", ".aac"}),
                          [] (const auto& info) { return std::string (info.param.muxer); });

TEST (WindowsMediaAudioFormat, RefusesWhatItCannotDecodeAndLeavesTheStreamToTheCaller)
{
    qm::WindowsMediaAudioFormat format;
    juce::MemoryBlock noise (50000);

    for (size_t i = 0; i < noise.getSize(); ++i)
        noise[i] = (char)(i * 7919 % 251);

    auto stream = std::make_unique<juce::MemoryInputStream> (noise, false);
    EXPECT_EQ (format.createReaderFor (stream.get(), false), nullptr);
    EXPECT_EQ (stream->getTotalLength(), 50000); // still ours

    // A WAV file is a format the decoder is not allowed to open.
    juce::MemoryBlock wav;
    {
        juce::WavAudioFormat wavFormat;
        std::unique_ptr<juce::AudioFormatWriter> writer (
            wavFormat.createWriterFor (new juce::MemoryOutputStream (wav, false), 44100, 2, 16, {}, 0));
        juce::AudioBuffer<float> silence (2, 4410);
        silence.clear();
        writer->writeFromAudioSampleBuffer (silence, 0, 4410);
    }
    EXPECT_EQ (format.createReaderFor (new juce::MemoryInputStream (wav, true), true), nullptr);
}

TEST (WindowsMediaAudioFormat, MonoFillsEveryDestinationChannel)
{
    AacOptions options;
    options.numChannels = 1;
    auto file = aacfixtures::makeTempFile ("mono.m4a");
    ASSERT_TRUE (aacfixtures::writeAacFile (file, options));
    auto reader = openReader (file);
    ASSERT_NE (reader, nullptr);

    std::vector<int> left (1000), right (1000);
    int* channels[] = {left.data(), right.data()};
    ASSERT_TRUE (reader->readSamples (channels, 2, 0, 5000, 1000));
    EXPECT_EQ (left, right);
    EXPECT_NE (left, std::vector<int> (1000));
}
} // namespace
