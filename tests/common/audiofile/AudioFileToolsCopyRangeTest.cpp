#include "common/audiofile/AudioFileTools.h"

#include "support/FullDiskFileStream.h"
#include "support/PcmFileBuilder.h"

#include <gtest/gtest.h>

using common::AudioFileTools::copyWavRange;
using glorvak::test::ChunkFileBuilder;
using glorvak::test::FullDiskFileStream;
using glorvak::test::wavFmtBody;

namespace
{
using Range = juce::Range<juce::int64>;

// Bytes that differ from their neighbours, so a slice taken from the wrong offset shows.
juce::MemoryBlock patternBytes (size_t count, int seed = 0)
{
    juce::MemoryBlock block (count);
    auto* bytes = static_cast<juce::uint8*> (block.getData());
    for (size_t i = 0; i < count; ++i)
        bytes[i] = (juce::uint8) ((i * 131 + i / 251 + (size_t)seed) & 0xff);
    return block;
}

juce::MemoryBlock slice (const juce::MemoryBlock& block, juce::int64 start, juce::int64 length)
{
    return juce::MemoryBlock (static_cast<const char*> (block.getData()) + start, (size_t)length);
}

// An extensible format chunk whose SubFormat GUID starts with the given plain tag.
juce::MemoryBlock extensibleFmtBody (int subFormatTag, int numChannels, int bitsPerSample)
{
    auto body = wavFmtBody (0xfffe, numChannels, 48000, bitsPerSample, 24);
    auto* bytes = static_cast<juce::uint8*> (body.getData());
    bytes[16] = 22; // extension size
    bytes[24] = (juce::uint8)subFormatTag;
    bytes[25] = 0;
    return body;
}

class CopyWavRangeTest : public ::testing::Test
{
protected:
    juce::File folder = juce::File::createTempFile ("copyrange");
    juce::File source = folder.getChildFile ("source.wav");
    juce::File target = folder.getChildFile ("target.wav");

    void SetUp() override { ASSERT_TRUE (folder.createDirectory()); }
    void TearDown() override { folder.deleteRecursively(); }

    void writeSource (const juce::MemoryBlock& bytes)
    {
        ASSERT_TRUE (glorvak::test::writeBytes (source, bytes));
    }

    juce::MemoryBlock targetBytes() const
    {
        juce::MemoryBlock bytes;
        target.loadFileAsData (bytes);
        return bytes;
    }

    // Only the source, or nothing at all: no target and no temporary file left behind.
    bool onlySourceRemains() const
    {
        const auto files = folder.findChildFiles (juce::File::findFiles, false, "*");
        return files.size() == (source.exists() ? 1 : 0) && !target.exists();
    }
};
} // namespace

TEST_F (CopyWavRangeTest, CopiesExactlyTheSliceWithTheFormatChunkAndNothingElse)
{
    struct Case
    {
        const char* name;
        juce::MemoryBlock fmt;
        int blockAlign;
        std::function<void (ChunkFileBuilder&, const juce::MemoryBlock& fmt, const juce::MemoryBlock& data)>
            layout;
    };

    const auto plain = [] (ChunkFileBuilder& b, const juce::MemoryBlock& fmt, const juce::MemoryBlock& data)
    { b.chunk ("fmt ", fmt).chunk ("data", data); };

    const Case cases[] = {
        {"16-bit stereo", wavFmtBody (1, 2, 44100, 16), 4, plain},
        {"24-bit stereo, the program's own", wavFmtBody (1, 2, 96000, 24), 6, plain},
        {"8-bit mono, odd data", wavFmtBody (1, 1, 22050, 8), 1, plain},
        {"float", wavFmtBody (3, 2, 48000, 32), 8, plain},
        {"extensible PCM", extensibleFmtBody (1, 2, 24), 6, plain},
        {"extensible float", extensibleFmtBody (3, 2, 32), 8, plain},
        {"odd-sized format chunk", wavFmtBody (1, 2, 44100, 16, 1), 4, plain},
        {"chunks before, between and after", wavFmtBody (1, 2, 44100, 16), 4,
         [] (ChunkFileBuilder& b, const juce::MemoryBlock& fmt, const juce::MemoryBlock& data)
         {
             b.chunk ("LIST", patternBytes (33, 1))
                 .chunk ("fmt ", fmt)
                 .chunk ("bext", patternBytes (20, 2))
                 .chunk ("data", data)
                 .chunk ("cue ", patternBytes (7, 3));
         }},
    };

    const int frames = 20000; // more than one block of 8192

    for (const auto& c : cases)
    {
        const auto data = patternBytes ((size_t)(frames * c.blockAlign));
        auto builder = ChunkFileBuilder::riff ("WAVE");
        c.layout (builder, c.fmt, data);
        writeSource (builder.build());

        for (auto range :
             {Range (0, frames), Range (1, frames), Range (8191, 16385), Range (frames - 1, frames)})
        {
            SCOPED_TRACE (juce::String (c.name) + " " + juce::String (range.getStart()) + ".." +
                          juce::String (range.getEnd()));
            ASSERT_EQ (copyWavRange (source, range, target), "");

            const auto expected = ChunkFileBuilder::riff ("WAVE")
                                      .chunk ("fmt ", c.fmt)
                                      .chunk ("data", slice (data, range.getStart() * c.blockAlign,
                                                             range.getLength() * c.blockAlign))
                                      .build();
            EXPECT_TRUE (targetBytes() == expected);
        }
    }
}

TEST_F (CopyWavRangeTest, CopiesFromAFileWhoseRiffSizeRunsPastItsEnd)
{
    // Recordings cut short keep the size they were meant to have.
    const auto fmt = wavFmtBody (1, 2, 44100, 16);
    const auto data = patternBytes (4000);
    auto bytes = ChunkFileBuilder::riff ("WAVE").chunk ("fmt ", fmt).chunk ("data", data).build();
    static_cast<juce::uint8*> (bytes.getData())[7] = 0x7f;
    writeSource (bytes);

    ASSERT_EQ (copyWavRange (source, Range (10, 20), target), "");
    EXPECT_TRUE (
        targetBytes() ==
        ChunkFileBuilder::riff ("WAVE").chunk ("fmt ", fmt).chunk ("data", slice (data, 40, 40)).build());
}

TEST_F (CopyWavRangeTest, ReportsEachFailureWithItsWordAndLeavesNoFile)
{
    const auto fmt = wavFmtBody (1, 2, 44100, 16);
    const auto data = patternBytes (400); // 100 frames
    const auto good = [&]
    { return ChunkFileBuilder::riff ("WAVE").chunk ("fmt ", fmt).chunk ("data", data); };

    auto shortFmt = wavFmtBody (1, 2, 44100, 16);
    shortFmt.setSize (14);
    auto zeroAlign = wavFmtBody (1, 2, 44100, 16);
    static_cast<juce::uint8*> (zeroAlign.getData())[12] = 0;
    auto shortExtensible = extensibleFmtBody (1, 2, 16);
    shortExtensible.setSize (38);
    auto truncated = good().build();
    truncated.setSize (truncated.getSize() - 10);

    struct Case
    {
        const char* name;
        juce::MemoryBlock file;
        Range range;
        const char* expected;
    };

    const Case cases[] = {
        {"empty range", good().build(), Range (5, 5), "parameter"},
        {"negative start", good().build(), Range (-1, 4), "parameter"},
        {"one frame past the data", good().build(), Range (0, 101), "parameter"},
        {"not RIFF", ChunkFileBuilder::form ("WAVE").chunk ("fmt ", fmt).build(), Range (0, 1), "format"},
        {"RIFF but not WAVE", ChunkFileBuilder::riff ("AVI ").chunk ("fmt ", fmt).build(), Range (0, 1),
         "format"},
        {"data before fmt", ChunkFileBuilder::riff ("WAVE").chunk ("data", data).chunk ("fmt ", fmt).build(),
         Range (0, 1), "format"},
        {"two fmt chunks",
         ChunkFileBuilder::riff ("WAVE").chunk ("fmt ", fmt).chunk ("fmt ", fmt).chunk ("data", data).build(),
         Range (0, 1), "format"},
        {"two data chunks", good().chunk ("data", data).build(), Range (0, 1), "format"},
        {"no data chunk", ChunkFileBuilder::riff ("WAVE").chunk ("fmt ", fmt).build(), Range (0, 1),
         "format"},
        {"no chunk at all", ChunkFileBuilder::riff ("WAVE").build(), Range (0, 1), "format"},
        {"fmt below 16 bytes",
         ChunkFileBuilder::riff ("WAVE").chunk ("fmt ", shortFmt).chunk ("data", data).build(), Range (0, 1),
         "format"},
        {"block align 0",
         ChunkFileBuilder::riff ("WAVE").chunk ("fmt ", zeroAlign).chunk ("data", data).build(), Range (0, 1),
         "format"},
        {"extensible below 40 bytes",
         ChunkFileBuilder::riff ("WAVE").chunk ("fmt ", shortExtensible).chunk ("data", data).build(),
         Range (0, 1), "format"},
        {"ADPCM",
         ChunkFileBuilder::riff ("WAVE")
             .chunk ("fmt ", wavFmtBody (2, 2, 44100, 4))
             .chunk ("data", data)
             .build(),
         Range (0, 1), "unsupported"},
        {"extensible ADPCM",
         ChunkFileBuilder::riff ("WAVE")
             .chunk ("fmt ", extensibleFmtBody (2, 2, 16))
             .chunk ("data", data)
             .build(),
         Range (0, 1), "unsupported"},
        {"fmt size beyond any real format",
         ChunkFileBuilder::riff ("WAVE").chunkWithSize ("fmt ", 0x7ffffff0, fmt).chunk ("data", data).build(),
         Range (0, 1), "format"},
        {"fmt size beyond the file",
         ChunkFileBuilder::riff ("WAVE").chunkWithSize ("fmt ", 60000, fmt).build(), Range (0, 1), "read"},
        {"data cut short", truncated, Range (90, 100), "read"},
        {"cut inside the first header", slice (good().build(), 0, 6), Range (0, 1), "read"},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        writeSource (c.file);
        EXPECT_EQ (copyWavRange (source, c.range, target), c.expected);
        EXPECT_TRUE (onlySourceRemains());
    }

    source.deleteFile();
    EXPECT_EQ (copyWavRange (source, Range (0, 1), target), "read");
    EXPECT_TRUE (onlySourceRemains());
}

TEST_F (CopyWavRangeTest, CorruptChunkSizesEndTheWalkQuickly)
{
    const auto fmt = wavFmtBody (1, 2, 44100, 16);
    const auto data = patternBytes (400);

    // Sizes that wrap a 32-bit position around, point back into the file or far past its end.
    for (juce::uint32 size : {0xfffffff8u, 0xfffffff7u, 0xffffffffu, 0x80000000u, 0x7ffffff9u, 0xfffffff0u})
    {
        SCOPED_TRACE ((juce::int64)size);
        writeSource (ChunkFileBuilder::riff ("WAVE")
                         .chunkWithSize ("JUNK", size, patternBytes (16))
                         .chunk ("fmt ", fmt)
                         .chunk ("data", data)
                         .build());
        EXPECT_EQ (copyWavRange (source, Range (0, 10), target), "format");
        EXPECT_TRUE (onlySourceRemains());
    }
}

TEST_F (CopyWavRangeTest, EveryTruncatedPrefixFailsCleanlyUnlessTheRangeIsPresent)
{
    const auto fmt = wavFmtBody (1, 2, 44100, 16);
    const auto data = patternBytes (400);
    const auto whole = ChunkFileBuilder::riff ("WAVE")
                           .chunk ("LIST", patternBytes (9))
                           .chunk ("fmt ", fmt)
                           .chunk ("data", data)
                           .build();
    const auto range = Range (20, 30);
    const auto rangeEndsAt = (juce::int64)whole.getSize() - 400 + 30 * 4;

    for (size_t length = 0; length <= whole.getSize(); ++length)
    {
        SCOPED_TRACE ((int)length);
        writeSource (slice (whole, 0, (juce::int64)length));
        const auto result = copyWavRange (source, range, target);

        if ((juce::int64)length >= rangeEndsAt)
        {
            EXPECT_EQ (result, "");
            target.deleteFile();
        }
        else
        {
            EXPECT_NE (result, "");
            EXPECT_TRUE (onlySourceRemains());
        }
    }
}

TEST_F (CopyWavRangeTest, AShortWriteIsAFailureAndAnExistingTargetSurvivesIt)
{
    const auto fmt = wavFmtBody (1, 2, 96000, 24);
    writeSource (
        ChunkFileBuilder::riff ("WAVE").chunk ("fmt ", fmt).chunk ("data", patternBytes (6 * 50000)).build());
    const juce::int64 fullSize = 12 + 8 + 16 + 8 + 6 * 40000;

    for (auto mode : {FullDiskFileStream::Mode::refuse, FullDiskFileStream::Mode::dropSilently})
    {
        for (juce::int64 limit : {(juce::int64)0, (juce::int64)30, fullSize / 2, fullSize - 1})
        {
            SCOPED_TRACE (juce::String (mode == FullDiskFileStream::Mode::refuse ? "refuse " : "silent ") +
                          juce::String (limit));
            EXPECT_EQ (
                copyWavRange (source, Range (0, 40000), target, FullDiskFileStream::opener (limit, mode)),
                "write");
            EXPECT_TRUE (onlySourceRemains());
        }
    }

    ASSERT_TRUE (target.replaceWithText ("the earlier file"));
    EXPECT_EQ (copyWavRange (source, Range (0, 40000), target,
                             FullDiskFileStream::opener (fullSize / 2, FullDiskFileStream::Mode::refuse)),
               "write");
    EXPECT_EQ (target.loadFileAsString(), "the earlier file");

    EXPECT_EQ (copyWavRange (source, Range (0, 40000), target,
                             FullDiskFileStream::opener (fullSize, FullDiskFileStream::Mode::refuse)),
               "");
    EXPECT_EQ (target.getSize(), fullSize);
}

TEST_F (CopyWavRangeTest, NeverWritesOverItsOwnSource)
{
    const auto bytes = ChunkFileBuilder::riff ("WAVE")
                           .chunk ("fmt ", wavFmtBody (1, 2, 44100, 16))
                           .chunk ("data", patternBytes (400))
                           .build();
    writeSource (bytes);

    EXPECT_EQ (copyWavRange (source, Range (0, 10), source), "parameter");

    juce::MemoryBlock after;
    ASSERT_TRUE (source.loadFileAsData (after));
    EXPECT_TRUE (after == bytes);
}
