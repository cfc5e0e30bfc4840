#include "common/reader/FileReader/FileReadAlac.h"
#include "common/reader/FileReader/FileReadFlac.h"
#include "common/reader/FileReader/FileReadMp3.h"
#include "common/reader/FileReader/FileReadWav.h"
#include "support/AlacFixtures.h"
#include "support/EncodedAudioFixtures.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using quelbix::StereoSample;

namespace
{
// Eleven seconds, so that parts land in the middle of packets, frames and blocks.
constexpr int rate = 44100;
constexpr int frames = rate * 11 + 123;

const testfixtures::PlanarPcm& pcm()
{
    static const auto made = testfixtures::makeTestPcm (2, frames, 16, 5);
    return made;
}

juce::MemoryBlock wavOf (const testfixtures::PlanarPcm& samples)
{
    juce::AudioBuffer<float> buffer (2, (int)samples[0].size());

    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            buffer.setSample (c, i, (float)samples[(size_t)c][(size_t)i] / 32768.0f);

    juce::MemoryBlock data;
    juce::WavAudioFormat format;
    std::unique_ptr<juce::AudioFormatWriter> writer (
        format.createWriterFor (new juce::MemoryOutputStream (data, false), rate, 2, 16, {}, 0));
    writer->writeFromAudioSampleBuffer (buffer, 0, buffer.getNumSamples());
    writer.reset();
    return data;
}

std::vector<StereoSample> readThrough (quelbix::AbstractReader& reader)
{
    std::vector<StereoSample> all ((size_t)reader.getLengthInSamples());

    for (int start = 0; start < (int)all.size(); start += 8192)
        reader.read (start, all.data() + start, juce::jmin (8192, (int)all.size() - start));

    return all;
}

struct Case
{
    const char* name;
    std::function<std::unique_ptr<quelbix::FileReader>()> make;
    std::function<juce::MemoryBlock()> encode;
    bool offersAnother;
};

std::vector<Case> formatCases()
{
    return {
        {"FLAC", [] { return std::make_unique<quelbix::FileReadFlac>(); },
         [] {
             return testfixtures::encodeFlac (pcm(), {rate, 16, 4096});
         },
         true},
        {"ALAC", [] { return std::make_unique<quelbix::FileReadAlac>(); },
         []
         {
             alacfixtures::AlacOptions options;
             options.sampleRate = rate;
             return alacfixtures::encodeAlac (pcm(), options);
         },
         true},
        {"WAV", [] { return std::make_unique<quelbix::FileReadWav>(); }, [] { return wavOf (pcm()); }, false},
        {"MP3", [] { return std::make_unique<quelbix::FileReadMp3>(); },
         [] { return testfixtures::encodeMpegAudio ("libmp3lame", pcm(), rate, 192000); }, false},
    };
}

// A second reader exists only where decoding costs enough and any part decodes exactly: then its
// parts, read in any order and length, are the frames that reading straight through gives.
TEST (FileReaderOpenAnother, ReadsEveryPartExactlyAsReadingThroughWhereOffered)
{
    for (const auto& c : formatCases())
    {
        SCOPED_TRACE (c.name);
        const auto data = c.encode();
        ASSERT_GT (data.getSize(), 0u);
        const auto file = testfixtures::writeTempFile (juce::String ("another.") + c.name, data);

        auto reader = c.make();
        ASSERT_TRUE (reader->open (file.getFullPathName()));
        auto another = reader->openAnother();
        ASSERT_EQ (another != nullptr, c.offersAnother);

        if (another == nullptr)
            continue;

        ASSERT_EQ (another->getLengthInSamples(), reader->getLengthInSamples());
        ASSERT_EQ (another->getSampleRate(), reader->getSampleRate());
        const auto expected = readThrough (*reader);

        // Parts of uneven lengths, in a shuffled order, the last one past the end.
        std::vector<std::pair<int, int>> parts;
        for (int start = 0, length = 1000; start < frames + 500;
             start += length, length = length * 3 % 70001 + 17)
            parts.emplace_back (start, length);

        std::shuffle (parts.begin(), parts.end(), std::mt19937 (11));

        for (const auto& [start, length] : parts)
        {
            std::vector<StereoSample> got ((size_t)length, StereoSample{9.0f, 9.0f});
            another->read (start, got.data(), length);

            for (int i = 0; i < length; ++i)
            {
                const auto at = (size_t)(start + i);
                const auto want = at < expected.size() ? expected[at] : StereoSample{};
                ASSERT_EQ (got[(size_t)i].left, want.left) << "frame " << at;
                ASSERT_EQ (got[(size_t)i].right, want.right) << "frame " << at;
            }
        }
    }
}

TEST (FileReaderOpenAnother, AReaderOverItsCallersStreamOrClosedHasNoOther)
{
    const auto data = testfixtures::encodeFlac (pcm(), {rate, 16, 4096});
    const auto file = testfixtures::writeTempFile ("stream.flac", data);

    quelbix::FileReadFlac overStream;
    ASSERT_TRUE (
        overStream.openStream (new juce::MemoryInputStream (data, false), file.getFullPathName(), true));
    EXPECT_EQ (overStream.openAnother(), nullptr);

    quelbix::FileReadFlac closed;
    ASSERT_TRUE (closed.open (file.getFullPathName()));
    closed.close();
    EXPECT_EQ (closed.openAnother(), nullptr);
}
} // namespace

namespace
{
// A conversion swaps the page buffer for a plain one part of the way through a file: reading goes
// on where it was, and a jump back after the swap still reads what it read before.
TEST (FileReaderReadThrough, ReadsTheSameFramesAfterTheSwapMidwayAsReadingThroughWithout)
{
    for (const auto& c : formatCases())
    {
        SCOPED_TRACE (c.name);
        const auto file = testfixtures::writeTempFile (juce::String ("through.") + c.name, c.encode());

        auto untouched = c.make();
        ASSERT_TRUE (untouched->open (file.getFullPathName()));
        const auto expected = readThrough (*untouched);

        auto reader = c.make();
        ASSERT_TRUE (reader->open (file.getFullPathName()));
        std::vector<StereoSample> got (expected.size() + 700, StereoSample{9.0f, 9.0f});

        // Not a multiple of any block: the swap lands inside a packet, frame or buffer.
        const int before = 12345;
        reader->read (0, got.data(), before);
        reader->prepareToReadThrough();

        for (int start = before; start < (int)got.size(); start += 8192)
            reader->read (start, got.data() + start, juce::jmin (8192, (int)got.size() - start));

        for (size_t i = 0; i < got.size(); ++i)
        {
            const auto want = i < expected.size() ? expected[i] : StereoSample{};
            ASSERT_EQ (got[i].left, want.left) << "frame " << i;
            ASSERT_EQ (got[i].right, want.right) << "frame " << i;
        }

        std::vector<StereoSample> again (3000);
        reader->read (1000, again.data(), (int)again.size());

        for (size_t i = 0; i < again.size(); ++i)
            ASSERT_EQ (again[i].left, expected[1000 + i].left)
                << "frame " << 1000 + i << " after a jump back";
    }
}

// The page buffer shows itself in the buffered share of a file that fits in it (-1 is a plain
// stream's answer). The swap happens only on a file opened from its path and still as long as
// when it was analysed; otherwise the reader keeps its page buffer and reads on.
TEST (FileReaderReadThrough, SwapsOnlyAStreamItCanOpenAgainUnchanged)
{
    const int shortFrames = rate * 2;
    const auto data =
        testfixtures::encodeFlac (testfixtures::makeTestPcm (2, shortFrames, 16, 3), {rate, 16, 4096});
    const auto file = testfixtures::writeTempFile ("short.flac", data);

    quelbix::FileReadFlac fromPath;
    ASSERT_TRUE (fromPath.open (file.getFullPathName()));
    ASSERT_GE (fromPath.getBufferedPercent(), 0);
    fromPath.prepareToReadThrough();
    EXPECT_EQ (fromPath.getBufferedPercent(), -1);

    quelbix::FileReadFlac overStream;
    ASSERT_TRUE (
        overStream.openStream (new juce::MemoryInputStream (data, false), file.getFullPathName(), true));
    overStream.prepareToReadThrough();
    EXPECT_EQ (overStream.getBufferedPercent(), -1) << "a caller's stream is read as it is";

    quelbix::FileReadFlac changed;
    ASSERT_TRUE (changed.open (file.getFullPathName()));
    const auto expected = readThrough (changed);
    ASSERT_TRUE (file.appendData ("junk", 4));
    changed.prepareToReadThrough();
    EXPECT_GE (changed.getBufferedPercent(), 0) << "a file that grew since it was analysed is not reopened";

    std::vector<StereoSample> got ((size_t)shortFrames);
    changed.read (0, got.data(), shortFrames);

    for (size_t i = 0; i < got.size(); ++i)
        ASSERT_EQ (got[i].left, expected[i].left) << "frame " << i;

    quelbix::FileReadFlac closed;
    ASSERT_TRUE (closed.open (file.getFullPathName()));
    closed.close();
    closed.prepareToReadThrough();
    EXPECT_FALSE (closed.isOpen());
}
} // namespace
