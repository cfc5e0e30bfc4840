#include "common/reader/FileReader/FileReadFlac.h"
#include "common/reader/AudioReaderFactory.h"
#include "support/EncodedAudioFixtures.h"

#include <gtest/gtest.h>

using quelbix::FileReadFlac;
using quelbix::StereoSample;
using testfixtures::PlanarPcm;

namespace
{
struct FlacCase
{
    const char* name;
    int channels;
    int sampleRate;
    int bits;
    int blockSize;
};

// The float the reader must deliver for frame i: first channel left, last channel right.
StereoSample expectedFrame (const PlanarPcm& pcm, int bits, int i)
{
    const float gain = 1.0f / (float)(1LL << (bits - 1));
    return {(float)pcm.front()[(size_t)i] * gain, (float)pcm.back()[(size_t)i] * gain};
}

std::vector<StereoSample> readRange (FileReadFlac& reader, int start, int count)
{
    std::vector<StereoSample> frames ((size_t)count, StereoSample{9.0f, 9.0f});
    reader.read (start, frames.data(), count);
    return frames;
}

// Frames in [start, start + frames.size()) equal the PCM bit for bit, and zero past its end.
::testing::AssertionResult matchesPcm (const std::vector<StereoSample>& frames, int start,
                                       const PlanarPcm& pcm, int bits)
{
    const int length = (int)pcm[0].size();

    for (size_t k = 0; k < frames.size(); ++k)
    {
        const int i = start + (int)k;
        const auto expected = i < length ? expectedFrame (pcm, bits, i) : StereoSample{};

        if (frames[k].left != expected.left || frames[k].right != expected.right)
            return ::testing::AssertionFailure()
                   << "frame " << i << ": got " << frames[k].left << "/" << frames[k].right << ", expected "
                   << expected.left << "/" << expected.right;
    }

    return ::testing::AssertionSuccess();
}

class FlacFormats : public ::testing::TestWithParam<FlacCase>
{
};

TEST_P (FlacFormats, ReadsTheEncodedPcmBitExactSequentiallyAndAfterJumps)
{
    const auto& c = GetParam();
    const int length = 40000;
    const auto pcm = testfixtures::makeTestPcm (c.channels, length, c.bits);
    const auto file = testfixtures::writeTempFile (
        juce::String (c.name) + ".flac", testfixtures::encodeFlac (pcm, {c.sampleRate, c.bits, c.blockSize}));

    FileReadFlac reader;
    ASSERT_TRUE (reader.open (file.getFullPathName()));
    EXPECT_EQ (reader.getLengthInSamples(), length);
    EXPECT_EQ (reader.getSampleRate(), c.sampleRate);
    EXPECT_EQ (reader.getNumChannels(), c.channels);
    EXPECT_EQ (reader.getBitsPerSample(), c.bits);
    EXPECT_EQ (reader.getBitRate(), 0);

    // Sequential blocks that do not line up with the encoder's blocks, running past the end.
    for (int start = 0; start < length + 2000; start += 1000)
        ASSERT_TRUE (matchesPcm (readRange (reader, start, 1000), start, pcm, c.bits))
            << "block at " << start;

    juce::Random random (42);

    for (int jump = 0; jump < 40; ++jump)
    {
        const int start = random.nextInt (length + 100);
        const int count = 1 + random.nextInt (6000);
        SCOPED_TRACE ("jump to " + juce::String (start) + ", " + juce::String (count) + " frames");
        ASSERT_TRUE (matchesPcm (readRange (reader, start, count), start, pcm, c.bits));
    }
}

INSTANTIATE_TEST_SUITE_P (Accepted, FlacFormats,
                          ::testing::Values (FlacCase{"stereo16at44100", 2, 44100, 16, 4096},
                                             FlacCase{"mono24at48000", 1, 48000, 24, 1152},
                                             FlacCase{"stereo8at32000", 2, 32000, 8, 576},
                                             FlacCase{"stereo20at22050", 2, 22050, 20, 4608}),
                          [] (const auto& info) { return std::string (info.param.name); });

TEST (FileReadFlac, RefusesHighRatesMoreThanTwoChannelsAndUnknownLength)
{
    struct Refused
    {
        const char* name;
        int channels;
        int sampleRate;
        bool declareLength;
    };

    for (const auto& r : {Refused{"at88200", 2, 88200, true}, Refused{"at96000", 2, 96000, true},
                          Refused{"sixChannels", 6, 44100, true}, Refused{"lengthUnknown", 2, 44100, false}})
    {
        SCOPED_TRACE (r.name);
        const auto pcm = testfixtures::makeTestPcm (r.channels, 5000, 16);
        testfixtures::FlacOptions options;
        options.sampleRate = r.sampleRate;
        options.declareLength = r.declareLength;
        const auto file = testfixtures::writeTempFile (juce::String (r.name) + ".flac",
                                                       testfixtures::encodeFlac (pcm, options));

        testing::internal::CaptureStdout();
        FileReadFlac reader;
        EXPECT_FALSE (reader.open (file.getFullPathName()));
        const auto output = juce::String (testing::internal::GetCapturedStdout());
        EXPECT_TRUE (output.startsWith ("ERROR : file analyze ")) << output;
        EXPECT_FALSE (reader.isOpen());
    }
}

TEST (FileReadFlac, BlocksDeeperOrShallowerThanTheHeaderSaysAreScaledToIt)
{
    const int length = 5000;
    const auto pcm = testfixtures::makeTestPcm (2, length, 16);

    // STREAMINFO's depth lies in the low bit of byte 20 and the high nibble of byte 21 (as
    // depth - 1); the blocks keep saying 16 bits.
    for (int headerBits : {12, 20})
    {
        SCOPED_TRACE (headerBits);
        auto data = testfixtures::encodeFlac (pcm, {});
        auto* bytes = static_cast<juce::uint8*> (data.getData());
        bytes[20] = (juce::uint8) ((bytes[20] & 0xfe) | ((headerBits - 1) >> 4));
        bytes[21] = (juce::uint8) ((bytes[21] & 0x0f) | (((headerBits - 1) & 0x0f) << 4));

        FileReadFlac reader;
        ASSERT_TRUE (reader.open (testfixtures::writeTempFile ("depth.flac", data).getFullPathName()));
        ASSERT_EQ (reader.getBitsPerSample(), headerBits);

        // The audio keeps its level, to the precision of the header's depth.
        const auto frames = readRange (reader, 0, length);
        const float tolerance = 1.0f / (float)(1 << (headerBits - 1));

        for (int i = 0; i < length; ++i)
        {
            const auto expected = expectedFrame (pcm, 16, i);
            ASSERT_NEAR (frames[(size_t)i].left, expected.left, tolerance) << "frame " << i;
            ASSERT_NEAR (frames[(size_t)i].right, expected.right, tolerance) << "frame " << i;
        }
    }
}

TEST (FileReadFlac, TruncatedFilesEndWithoutHangingAndJumpsBackStillDecode)
{
    const int length = 30000;
    const auto pcm = testfixtures::makeTestPcm (2, length, 16, 7);
    const auto whole = testfixtures::encodeFlac (pcm, {44100, 16, 1024});
    const auto size = (int)whole.getSize();

    for (int cut : {0, 4, 20, 41, 42, 60, 200, size / 4, size / 2, size - 300, size - 1})
    {
        SCOPED_TRACE ("cut at " + juce::String (cut) + " of " + juce::String (size));
        const auto file =
            testfixtures::writeTempFile ("cut.flac", juce::MemoryBlock (whole.getData(), (size_t)cut));

        FileReadFlac reader;

        if (!reader.open (file.getFullPathName()))
            continue;

        // Past the cut every frame reads as silence; before it, as encoded.
        std::vector<StereoSample> frames ((size_t)length);
        reader.read (0, frames.data(), length);

        int decoded = 0;

        for (int i = 0; i < length; ++i)
        {
            const auto expected = expectedFrame (pcm, 16, i);
            const auto& got = frames[(size_t)i];
            const bool silent = got.left == 0.0f && got.right == 0.0f;
            ASSERT_TRUE (silent || (got.left == expected.left && got.right == expected.right))
                << "frame " << i;
            decoded += silent ? 0 : 1;
        }

        if (cut >= size / 2)
        {
            EXPECT_GT (decoded, length / 4);

            // A jump into the missing part fails; the decoder must recover for the next jump.
            readRange (reader, length - 500, 400);
            EXPECT_TRUE (matchesPcm (readRange (reader, 1000, 3000), 1000, pcm, 16));
        }
    }
}

TEST (FileReadFlac, FactoryOpensBothExtensions)
{
    const auto pcm = testfixtures::makeTestPcm (2, 3000, 16);
    const auto data = testfixtures::encodeFlac (pcm, {});
    quelbix::AudioReaderFactory factory;
    factory.addDefaultFactories();

    for (auto name : {juce::String ("short.fla"), juce::String::fromUTF8 ("Ünïcode name.FLAC")})
    {
        SCOPED_TRACE (name.toStdString());
        auto reader = factory.createReader (testfixtures::writeTempFile (name, data).getFullPathName());
        ASSERT_NE (reader, nullptr);
        EXPECT_NE (dynamic_cast<FileReadFlac*> (reader.get()), nullptr);
        EXPECT_EQ (reader->getLengthInSamples(), 3000);
    }
}
} // namespace

namespace
{
TEST (FileReadFlac, CorruptedBytesNeitherCrashNorHang)
{
    const int length = 20000;
    const auto pcm = testfixtures::makeTestPcm (2, length, 16, 3);
    const auto whole = testfixtures::encodeFlac (pcm, {44100, 16, 1024});
    const auto size = (int)whole.getSize();
    juce::Random random (17);

    testing::internal::CaptureStdout();

    for (int i = 0; i < 25; ++i)
    {
        SCOPED_TRACE ("corruption " + juce::String (i));
        auto copy = whole;

        // Hits in the header first, then spread over the audio.
        for (int hits = 0; hits < 1 + i; ++hits)
            static_cast<juce::uint8*> (copy.getData())[i < 8 ? random.nextInt (60) : random.nextInt (size)] =
                (juce::uint8)random.nextInt (256);

        FileReadFlac reader;

        if (!reader.open (testfixtures::writeTempFile ("corrupt.flac", copy).getFullPathName()))
            continue;

        std::vector<StereoSample> frames ((size_t)juce::jmin (reader.getLengthInSamples(), 200000));
        reader.read (0, frames.data(), (int)frames.size());
        reader.read (reader.getLengthInSamples() / 3, frames.data(), juce::jmin ((int)frames.size(), 5000));
        EXPECT_TRUE (std::all_of (frames.begin(), frames.end(),
                                  [] (auto s)
                                  { return std::abs (s.left) <= 1.0f && std::abs (s.right) <= 1.0f; }));
    }

    testing::internal::GetCapturedStdout();
}
} // namespace
