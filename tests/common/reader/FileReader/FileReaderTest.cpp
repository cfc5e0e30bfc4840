#include "common/reader/FileReader/FileReadWav.h"
#include "support/PcmFileBuilder.h"

#include <gtest/gtest.h>

using namespace glorvak::test;

namespace
{
// Counts its own deletion, to show who owns a stream handed to openStream.
class TrackedStream : public juce::MemoryInputStream
{
public:
    TrackedStream (const juce::MemoryBlock& bytes, bool& deletedFlag)
        : juce::MemoryInputStream (bytes, true)
        , deleted (deletedFlag)
    {
    }

    ~TrackedStream() override { deleted = true; }

private:
    bool& deleted;
};

const juce::MemoryBlock validWav = PcmFileBuilder::wav ({44100, 2, 16}, makeTestPattern (100, 2, 16));
const juce::MemoryBlock notAWav ("not a wav file at all", 21);

TEST (FileReader, OpenStreamOwnershipFollowsTheFlag)
{
    struct Case
    {
        const char* name;
        const juce::MemoryBlock& bytes;
        bool takeOwnership;
        bool opens;
        bool deletedAfterOpen;
        bool deletedAfterClose;
    };

    const Case cases[] = {
        {"owned, valid", validWav, true, true, false, true},
        {"owned, rejected", notAWav, true, false, true, true},
        {"borrowed, valid", validWav, false, true, false, false},
        {"borrowed, rejected", notAWav, false, false, false, false},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        bool deleted = false;
        auto* stream = new TrackedStream (c.bytes, deleted);
        std::unique_ptr<TrackedStream> callerCopy (c.takeOwnership ? nullptr : stream);

        quelbix::FileReadWav reader;
        testing::internal::CaptureStdout();
        EXPECT_EQ (reader.openStream (stream, "memory.wav", c.takeOwnership), c.opens);
        const auto output = testing::internal::GetCapturedStdout();
        EXPECT_EQ (deleted, c.deletedAfterOpen);
        EXPECT_EQ (output.empty(), c.opens) << output;

        if (!c.opens)
            EXPECT_NE (output.find ("common/reader/FileReader/FileReader.cpp:119 memory.wav\n"),
                       std::string::npos)
                << output;

        reader.close();
        EXPECT_EQ (deleted, c.deletedAfterClose);
        EXPECT_FALSE (reader.isOpen());
        EXPECT_TRUE (reader.getPath().isEmpty());
    }
}

TEST (FileReader, OpenStreamRejectsNullStreamAndEmptyPath)
{
    quelbix::FileReadWav reader;
    EXPECT_FALSE (reader.openStream (nullptr, "x.wav", true));

    bool deleted = false;
    EXPECT_FALSE (reader.openStream (new TrackedStream (validWav, deleted), "", true));
    EXPECT_TRUE (deleted);
}

TEST (FileReader, PropertiesSurviveCloseAndReadAfterCloseIsSilent)
{
    quelbix::FileReadWav reader;
    ASSERT_TRUE (reader.openStream (new juce::MemoryInputStream (validWav, true), "m.wav", true));
    reader.close();
    EXPECT_EQ (reader.getLengthInSamples(), 100);
    EXPECT_EQ (reader.getSampleRate(), 44100);
    EXPECT_EQ (reader.getBufferedPercent(), 0);

    quelbix::StereoSample frame{5.0f, 5.0f};
    reader.read (0, &frame, 1);
    EXPECT_EQ (frame.left, 0.0f);
    EXPECT_EQ (frame.right, 0.0f);
}

TEST (FileReader, BufferedPercentOfAReaderFollowsItsFileSize)
{
    const auto folder = juce::File::getSpecialLocation (juce::File::tempDirectory)
                            .getNonexistentChildFile ("filereader", "", false);
    ASSERT_TRUE (folder.createDirectory());

    // Just below and at the ring's capacity (100 pages of 0x3000 bytes) with 16-bit stereo.
    const int smallFrames = (1228800 - 44) / 4 - 1;
    const int largeFrames = (1228800 - 44) / 4;
    const auto small = folder.getChildFile ("small.wav");
    const auto large = folder.getChildFile ("large.wav");
    ASSERT_TRUE (
        writeBytes (small, PcmFileBuilder::wav ({44100, 2, 16}, makeTestPattern (smallFrames, 2, 16))));
    ASSERT_TRUE (
        writeBytes (large, PcmFileBuilder::wav ({44100, 2, 16}, makeTestPattern (largeFrames, 2, 16))));
    ASSERT_LT (small.getSize(), 1228800);
    ASSERT_EQ (large.getSize(), 1228800);

    quelbix::FileReadWav smallReader;
    ASSERT_TRUE (smallReader.open (small.getFullPathName()));
    const auto deadline = juce::Time::getMillisecondCounter() + 10000;

    while (smallReader.getBufferedPercent() < 100 && juce::Time::getMillisecondCounter() < deadline)
        juce::Thread::yield();

    EXPECT_EQ (smallReader.getBufferedPercent(), 100);

    quelbix::FileReadWav largeReader;
    ASSERT_TRUE (largeReader.open (large.getFullPathName()));
    EXPECT_EQ (largeReader.getBufferedPercent(), -1);

    smallReader.close();
    largeReader.close();
    folder.deleteRecursively();
}
} // namespace
