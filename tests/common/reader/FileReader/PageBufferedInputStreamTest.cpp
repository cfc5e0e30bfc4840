#include "common/reader/FileReader/PageBufferedInputStream.h"
#include "common/reader/FileReader/LocalInputStream.h"
#include "common/reader/FileReader/RemoteInputStream.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace
{
constexpr int pageSize = quelbix::PageBufferedInputStream::defaultPageSize;
constexpr juce::int64 threshold = (juce::int64)100 * pageSize; // the ring's capacity

class TempFile
{
public:
    explicit TempFile (juce::int64 size, const juce::String& name = "stream.bin")
        : folder (juce::File::getSpecialLocation (juce::File::tempDirectory)
                      .getNonexistentChildFile ("pagestream", "", false))
    {
        folder.createDirectory();
        file = folder.getChildFile (name);
        bytes.setSize ((size_t)size);
        juce::Random random (size);
        auto* data = static_cast<juce::uint8*> (bytes.getData());

        for (juce::int64 i = 0; i < size; ++i)
            data[i] = (juce::uint8)random.nextInt (256);

        EXPECT_TRUE (file.replaceWithData (bytes.getData(), bytes.getSize()));
    }

    ~TempFile() { folder.deleteRecursively(); }

    std::unique_ptr<quelbix::PageBufferedInputStream> openPaged() const
    {
        auto local = std::make_unique<quelbix::LocalInputStream> (file.getFullPathName());
        EXPECT_TRUE (local->open());
        return std::make_unique<quelbix::PageBufferedInputStream> (std::move (local));
    }

    const juce::uint8* data() const { return static_cast<const juce::uint8*> (bytes.getData()); }

    juce::File folder;
    juce::File file;
    juce::MemoryBlock bytes;
};

// Reads count bytes at position through the stream and compares them with the file's bytes.
void expectSameBytes (quelbix::PageBufferedInputStream& stream, const TempFile& source, juce::int64 position,
                      int count)
{
    std::vector<juce::uint8> buffer ((size_t)count + 1, 0xee);
    ASSERT_TRUE (stream.setPosition (position));
    const auto expected = (int)juce::jlimit ((juce::int64)0, (juce::int64)count,
                                             (juce::int64)source.bytes.getSize() - position);
    int got = 0;

    // Requests beyond the read-ahead come back in parts, as from any stream.
    while (got < expected)
    {
        const int n = stream.read (buffer.data() + got, count - got);
        ASSERT_GT (n, 0) << "at " << position + got;
        got += n;
    }

    ASSERT_EQ (got, expected);
    ASSERT_EQ (stream.getPosition(), position + got);
    ASSERT_EQ (memcmp (buffer.data(), source.data() + position, (size_t)got), 0)
        << "position " << position << " count " << count;
}

class PageStreamRandomReads : public testing::TestWithParam<juce::int64>
{
};

TEST_P (PageStreamRandomReads, AreByteIdenticalToTheFile)
{
    const TempFile source (GetParam());
    auto stream = source.openPaged();
    ASSERT_EQ (stream->getTotalLength(), GetParam());
    EXPECT_EQ (stream->doesWholeFileFit(), GetParam() < threshold);

    juce::Random random (42);
    const auto size = GetParam();

    for (int i = 0; i < 400; ++i)
    {
        // Mostly small reads near the last one, sometimes far jumps, sometimes long reads.
        const auto position = (i % 7 == 0)
                                  ? random.nextInt64() % size
                                  : juce::jlimit ((juce::int64)0, size - 1,
                                                  stream->getPosition() + random.nextInt (80000) - 40000);
        const int count = (i % 11 == 0) ? 200000 + random.nextInt (400000) : 1 + random.nextInt (9000);
        expectSameBytes (*stream, source, std::abs (position), count);
    }

    // The very end and sequential reading through a long stretch.
    expectSameBytes (*stream, source, size - 1, 10);
    expectSameBytes (*stream, source, 0, (int)juce::jmin (size, (juce::int64)3 * 1024 * 1024));
}

INSTANTIATE_TEST_SUITE_P (Sizes, PageStreamRandomReads,
                          testing::Values ((juce::int64)1, (juce::int64)pageSize * 2, threshold - 1,
                                           threshold, threshold + 1, (juce::int64)5 * 1024 * 1024 + 77));

TEST (PageBufferedInputStream, LastByteOfTwoPageFileWaitsOnlyForPageOne)
{
    const TempFile source ((juce::int64)pageSize * 2);
    auto stream = source.openPaged();
    expectSameBytes (*stream, source, pageSize * 2 - 1, 1);
    juce::uint8 byte = 0;
    EXPECT_EQ (stream->read (&byte, 1), 0);
    EXPECT_EQ (stream->getPosition(), pageSize * 2);
}

TEST (PageBufferedInputStream, PositionsOutsideTheFile)
{
    const TempFile source (1000);
    auto stream = source.openPaged();

    EXPECT_TRUE (stream->setPosition (-5));
    EXPECT_EQ (stream->getPosition(), 0);
    EXPECT_FALSE (stream->isExhausted());

    EXPECT_TRUE (stream->setPosition (5000));
    EXPECT_EQ (stream->getPosition(), 5000);
    EXPECT_TRUE (stream->isExhausted());
    char buffer[16];
    EXPECT_EQ (stream->read (buffer, sizeof (buffer)), 0);
    EXPECT_EQ (stream->getPosition(), 1000);

    // Exhausted exactly at the end, whatever the stream below says.
    stream->setPosition (990);
    EXPECT_EQ (stream->read (buffer, sizeof (buffer)), 10);
    EXPECT_TRUE (stream->isExhausted());
}

TEST (PageBufferedInputStream, SmallFileBuffersCompletelyLargeFileReportsMinusOne)
{
    const TempFile small (threshold - 1);
    auto stream = small.openPaged();
    EXPECT_EQ (stream->getBufferedPercent(), 0);

    char byte = 0;
    ASSERT_EQ (stream->read (&byte, 1), 1);

    const auto deadline = juce::Time::getMillisecondCounter() + 10000;
    int last = 0;

    while (stream->getBufferedPercent() < 100 && juce::Time::getMillisecondCounter() < deadline)
    {
        const int percent = stream->getBufferedPercent();
        EXPECT_GE (percent, last);
        last = percent;
        juce::Thread::yield();
    }

    EXPECT_EQ (stream->getBufferedPercent(), 100);
    expectSameBytes (*stream, small, 0, (int)small.bytes.getSize());

    const TempFile large (threshold);
    EXPECT_EQ (large.openPaged()->getBufferedPercent(), -1);
}

TEST (PageBufferedInputStream, FarJumpsBackAndForthInLargeFile)
{
    const TempFile source ((juce::int64)3 * threshold + 123);
    auto stream = source.openPaged();
    const juce::int64 positions[] = {0,
                                     2 * threshold,
                                     10,
                                     3 * threshold,
                                     threshold + 5,
                                     threshold - 5,
                                     (juce::int64)60 * pageSize,
                                     (juce::int64)10 * pageSize};

    for (auto position : positions)
        expectSameBytes (*stream, source, position, 3 * pageSize + 7);
}

// A source that keeps its length but gives nothing from some byte on, as a file on a failing disk
// or a share that went away does.
class FailingFromStream : public juce::MemoryInputStream
{
public:
    FailingFromStream (const juce::MemoryBlock& data, juce::int64 failFrom)
        : juce::MemoryInputStream (data, false)
        , failsFrom (failFrom)
    {
    }

    int read (void* dest, int maxBytes) override
    {
        const auto left = failsFrom - getPosition();
        return left <= 0
                   ? 0
                   : juce::MemoryInputStream::read (dest, (int)juce::jmin ((juce::int64)maxBytes, left));
    }

private:
    const juce::int64 failsFrom;
};

// The ring's slots are used again and again in a large file: the part of a page that the source
// did not give must read as zeros, not as the bytes of the page that held the slot before.
TEST (PageBufferedInputStream, BytesTheSourceFailsToGiveReadAsZerosEvenInAReusedSlot)
{
    const TempFile source ((juce::int64)3 * threshold);
    const auto failsFrom = 2 * threshold + pageSize / 2;
    quelbix::PageBufferedInputStream stream (std::make_unique<FailingFromStream> (source.bytes, failsFrom));

    // Every slot is filled with good bytes first, more than once.
    expectSameBytes (stream, source, 0, (int)(2 * threshold));

    std::vector<juce::uint8> buffer (200, 0xee);
    ASSERT_TRUE (stream.setPosition (failsFrom - 10));
    ASSERT_EQ (stream.read (buffer.data(), (int)buffer.size()), (int)buffer.size());
    EXPECT_EQ (memcmp (buffer.data(), source.data() + failsFrom - 10, 10), 0);

    for (size_t i = 10; i < buffer.size(); ++i)
        ASSERT_EQ (buffer[i], 0) << "byte " << failsFrom - 10 + (juce::int64)i;
}

TEST (LocalInputStream, SymbolicLinkOpensItsTarget)
{
    const TempFile source (5000, juce::CharPointer_UTF8 ("zi\xc3\xbal.bin"));
    const auto link = source.folder.getChildFile ("link.bin");
    ASSERT_EQ (::symlink (source.file.getFullPathName().toRawUTF8(), link.getFullPathName().toRawUTF8()), 0);

    EXPECT_EQ (quelbix::resolveReparsePoint (link.getFullPathName()), source.file.getFullPathName());
    EXPECT_EQ (quelbix::resolveReparsePoint (source.file.getFullPathName()), source.file.getFullPathName());

    quelbix::LocalInputStream stream (link.getFullPathName());
    EXPECT_EQ (stream.getFile(), source.file);
    EXPECT_EQ (stream.getTotalLength(), 5000);
    ASSERT_TRUE (stream.open());
    std::vector<juce::uint8> bytes (5000);
    EXPECT_EQ (stream.read (bytes.data(), 5000), 5000);
    EXPECT_EQ (memcmp (bytes.data(), source.data(), 5000), 0);
}

TEST (LocalInputStream, MissingFileReadsNothing)
{
    quelbix::LocalInputStream stream ("/nonexistent/folder/file.wav");
    EXPECT_FALSE (stream.open());
    EXPECT_EQ (stream.getTotalLength(), 0);
    char byte = 0;
    EXPECT_EQ (stream.read (&byte, 1), 0);
    EXPECT_FALSE (stream.setPosition (0));
    EXPECT_FALSE (stream.isExhausted());
}

TEST (RemoteInputStream, HoldsAPositionButNoData)
{
    quelbix::RemoteInputStream stream ("https://example.invalid/a.wav", 100);
    EXPECT_TRUE (stream.setPosition (-3));
    EXPECT_EQ (stream.getPosition(), 0);
    EXPECT_TRUE (stream.setPosition (500));
    EXPECT_EQ (stream.getPosition(), 100);
    EXPECT_TRUE (stream.isExhausted());
    char byte = 0;
    EXPECT_EQ (stream.read (&byte, 1), 0);
}
} // namespace
