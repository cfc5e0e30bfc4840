#include "common/reader/FileReader/FileReadAac.h"
#include "support/AacFixtures.h"
#include "support/ReaderSweep.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace
{
using quelbix::FileReadAac;

// Rate indexes of the ADTS header.
constexpr int index64000 = 2, index48000 = 3, index44100 = 4, index24000 = 6, index22050 = 7;

void appendFrame (juce::MemoryBlock& block, int rateIndex, int channels, int length = 100)
{
    auto header = aacfixtures::adtsHeader (rateIndex, channels, length);
    header.resize ((size_t)length, 0x55);
    block.append (header.data(), header.size());
}

void appendText (juce::MemoryBlock& block, const char* text, size_t padTo = 0)
{
    juce::MemoryBlock bytes (text, strlen (text));
    bytes.ensureSize (juce::jmax (padTo, bytes.getSize()), true);
    block.append (bytes.getData(), bytes.getSize());
}

bool scan (const juce::MemoryBlock& block, FileReadAac::AdtsScan& result)
{
    juce::MemoryInputStream in (block, false);
    return FileReadAac::scanAdts (in, result);
}

TEST (FileReadAacScan, RatesChannelsAndFrameSizes)
{
    struct Case
    {
        const char* name;
        int rateIndex, channelConfiguration;
        bool accepted;
        int rate, channels, samplesPerFrame;
    };

    const Case cases[] = {
        {"44100 stereo", index44100, 2, true, 44100, 2, 1024},
        {"48000 stereo", index48000, 2, true, 48000, 2, 1024},
        {"mono reported as two channels", index44100, 1, true, 44100, 2, 1024},
        {"22050 taken for SBR", index22050, 2, true, 44100, 2, 2048},
        {"24000 taken for SBR", index24000, 2, true, 48000, 2, 2048},
        {"5.1 refused", index44100, 6, false, 0, 0, 0},
        {"64000 refused", index64000, 2, false, 0, 0, 0},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        juce::MemoryBlock block;

        for (int i = 0; i < 3; ++i)
            appendFrame (block, c.rateIndex, c.channelConfiguration);

        FileReadAac::AdtsScan result;
        ASSERT_EQ (scan (block, result), c.accepted);

        if (c.accepted)
        {
            EXPECT_EQ (result.sampleRate, c.rate);
            EXPECT_EQ (result.numChannels, c.channels);
            EXPECT_EQ (result.samplesPerFrame, c.samplesPerFrame);
            EXPECT_EQ (result.lengthInSamples, 3 * c.samplesPerFrame);
            ASSERT_EQ (result.frames.size(), 3u);
            EXPECT_EQ (result.frames[2].byteOffset, 200);
            EXPECT_EQ (result.frames[2].firstSample, 2 * c.samplesPerFrame);
            EXPECT_EQ (result.frames[2].getByteSize(), 100);
            EXPECT_NE (result.frames[2].byteSize & 0x80000000, 0);
        }
    }
}

TEST (FileReadAacScan, TagsJunkAndTheEnd)
{
    // An ID3v2 tag of 300 bytes (syncsafe size 2 * 128 + 44), junk between frames, frames with
    // lengths too short to move on, and a trailing "TAG" block that ends the scan.
    juce::MemoryBlock block;
    const juce::uint8 id3[] = {'I', 'D', '3', 4, 0, 0, 0, 0, 2, 44};
    block.append (id3, sizeof (id3));
    block.append (std::vector<char> (300, (char)0xFF).data(), 300);
    appendFrame (block, index44100, 2);
    appendText (block, "junk");
    auto bogus = aacfixtures::adtsHeader (index44100, 2, 0);
    block.append (bogus.data(), bogus.size());
    appendFrame (block, index44100, 2);
    appendText (block, "TAG", 128);
    appendFrame (block, index44100, 2);

    FileReadAac::AdtsScan result;
    ASSERT_TRUE (scan (block, result));
    ASSERT_EQ (result.frames.size(), 2u);
    EXPECT_EQ (result.frames[0].byteOffset, 310);
    EXPECT_EQ (result.frames[1].byteOffset, 310 + 100 + 4 + 7);
    EXPECT_EQ (result.lengthInSamples, 2048);
}

TEST (FileReadAacScan, RefusedAndEmptyStreams)
{
    juce::MemoryBlock adif;
    appendText (adif, "ADIF", 64);
    appendFrame (adif, index44100, 2);
    FileReadAac::AdtsScan result;
    EXPECT_TRUE (scan (adif, result));
    EXPECT_TRUE (result.frames.empty());

    juce::MemoryBlock shortId3;
    appendText (shortId3, "ID3\x04\x00\x00\x00");
    EXPECT_FALSE (scan (shortId3, result));

    // A 5.1 frame anywhere refuses the stream.
    juce::MemoryBlock late;
    appendFrame (late, index44100, 2);
    appendFrame (late, index44100, 6);
    EXPECT_FALSE (scan (late, result));

    juce::MemoryBlock noise (5000);
    for (size_t i = 0; i < noise.getSize(); ++i)
        noise[i] = (char)(i * 37 % 200);
    EXPECT_TRUE (scan (noise, result));
    EXPECT_TRUE (result.frames.empty());
}

juce::File writeAdts (int rate, int channels, int frames, juce::MemoryBlock* bytes = nullptr)
{
    aacfixtures::AacOptions options;
    options.muxer = "adts";
    options.sampleRate = rate;
    options.numChannels = channels;
    options.numFrames = frames;
    auto file = aacfixtures::makeTempFile ("tone.aac");
    EXPECT_TRUE (aacfixtures::writeAacFile (file, options));

    if (bytes != nullptr)
        file.loadFileAsData (*bytes);

    return file;
}

TEST (FileReadAac, OpensEncodedFilesWithTheirRateChannelsAndLength)
{
    struct Case
    {
        int rate, channels, reportedChannels;
    };

    for (auto c : {Case{44100, 2, 2}, Case{48000, 1, 2}, Case{22050, 2, 2}})
    {
        SCOPED_TRACE (juce::String (c.rate) + " Hz");
        juce::MemoryBlock bytes;
        const auto file = writeAdts (c.rate, c.channels, c.rate, &bytes);
        const auto frames = aacfixtures::splitAdts (bytes).size();

        FileReadAac reader;
        ASSERT_TRUE (reader.open (file.getFullPathName()));
        // Plain AAC-LC at 22050 Hz: the decoder finds no SBR, so its rate wins over the guess.
        EXPECT_EQ (reader.getSampleRate(), c.rate);
        EXPECT_EQ (reader.getNumChannels(), c.reportedChannels);
        EXPECT_EQ (reader.getBitsPerSample(), 16);
        EXPECT_EQ (reader.getSamplesPerFrame(), 1024);
        EXPECT_EQ (reader.getLengthInSamples(), (int)frames * 1024);
        EXPECT_EQ (reader.getFrameIndex().size(), frames);
        EXPECT_EQ (reader.getFrameIndex().back().firstSample, (int)(frames - 1) * 1024);
    }
}

TEST (FileReadAac, JumpsGiveTheSamplesOfSequentialReading)
{
    const auto file = writeAdts (44100, 1, 60000);
    FileReadAac sequential, jumping;
    ASSERT_TRUE (sequential.open (file.getFullPathName()));
    ASSERT_TRUE (jumping.open (file.getFullPathName()));

    std::vector<quelbix::StereoSample> whole (60000);
    for (int start = 0; start < 60000; start += 4096)
        sequential.read (start, whole.data() + start, juce::jmin (4096, 60000 - start));

    for (int start : {40000, 5, 4095, 4096, 12345, 58000})
    {
        SCOPED_TRACE (start);
        std::vector<quelbix::StereoSample> block (1500);
        jumping.read (start, block.data(), 1500);
        int mismatches = 0;

        for (int i = 0; i < 1500 && start + i < 60000; ++i)
            mismatches += block[(size_t)i].left != whole[(size_t)(start + i)].left ||
                          block[(size_t)i].right != block[(size_t)i].left;

        EXPECT_EQ (mismatches, 0);
    }
}

TEST (FileReadAac, DamagedFramesDoNotStopDecoding)
{
    juce::MemoryBlock bytes;
    writeAdts (44100, 2, 44100, &bytes);
    const auto frames = aacfixtures::splitAdts (bytes);
    ASSERT_GT (frames.size(), 30u);

    // Scramble the bodies of two frames in the middle.
    for (size_t f : {(size_t)20, (size_t)21})
        for (size_t i = 7; i < frames[f].length; ++i)
            bytes[frames[f].offset + i] = (char)(i * 151);

    auto file = aacfixtures::makeTempFile ("damaged.aac");
    ASSERT_TRUE (file.replaceWithData (bytes.getData(), bytes.getSize()));

    FileReadAac reader;
    ASSERT_TRUE (reader.open (file.getFullPathName()));
    std::vector<quelbix::StereoSample> tail (4000);
    reader.read (30000, tail.data(), 4000);
    float peak = 0;
    for (auto s : tail)
        peak = juce::jmax (peak, std::abs (s.left));
    EXPECT_GT (peak, 0.2f);
}

TEST (FileReadAac, EveryTruncationOpensOrFailsCleanly)
{
    juce::MemoryBlock bytes;
    writeAdts (44100, 2, 8000, &bytes);
    auto file = aacfixtures::makeTempFile ("cut.aac");

    for (size_t size = 0; size < bytes.getSize(); size += juce::jmax ((size_t)1, bytes.getSize() / 40))
    {
        SCOPED_TRACE ((int)size);
        ASSERT_TRUE (file.replaceWithData (bytes.getData(), size));
        FileReadAac reader;

        if (reader.open (file.getFullPathName()))
        {
            std::vector<quelbix::StereoSample> block (3000);
            reader.read (reader.getLengthInSamples() / 2, block.data(), 3000);
        }
    }
}

TEST (FileReadAac, ADecoderFailingMidwayReadsAsSilenceNotAsRawIntegers)
{
    // Damaged ADTS that the platform decoder opens but stops decoding part of the way through.
    const auto file =
        juce::File (glorvak::test::dataFolder()).getChildFile ("reader/adts-decode-fails-midway.aac");
    testing::internal::CaptureStdout();
    FileReadAac reader;
    const bool opened = reader.open (file.getFullPathName());
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE (opened);
    EXPECT_TRUE (glorvak::test::readsOnlyValidFrames (reader));
}
} // namespace
