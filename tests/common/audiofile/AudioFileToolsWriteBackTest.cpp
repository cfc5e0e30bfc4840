#include "common/audiofile/AudioFileToolsWriteBack.h"
#include "common/audiofile/AudioFileToolsVerifiedOutputFile.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using common::AudioFileToolsImpl::VerifiedOutputFile;
using common::AudioFileToolsImpl::WriteBack;

namespace
{
// The write-back only ever helps: where the system refuses it, writing goes on as before.
TEST (WriteBack, StartsOnAFileAndStopsQuietlyWhereTheSystemRefuses)
{
    glorvak::test::ScratchFolder folder;
    const auto file = folder.child ("plain.bin");
    ASSERT_TRUE (file.replaceWithData (std::string (3 << 20, 'x').data(), 3 << 20));

    // A pipe has no pages to write back; a missing file cannot be opened at all.
    const auto pipe = folder.child ("pipe");
    ASSERT_EQ (::mkfifo (pipe.getFullPathName().toRawUTF8(), 0600), 0);

    struct Case
    {
        const char* name;
        juce::File target;
        bool activeAfterwards;
    };

    for (const auto& c : {Case{"a file", file, true}, Case{"a pipe", pipe, false},
                          Case{"a missing file", folder.child ("missing.bin"), false}})
    {
        SCOPED_TRACE (c.name);
        WriteBack writeBack (c.target);

        for (juce::int64 end = 0; end <= 3 << 20; end += 100000)
            writeBack.written (end);

        EXPECT_EQ (writeBack.isActive(), c.activeAfterwards);
    }

    EXPECT_EQ (file.getSize(), 3 << 20);
}

TEST (WriteBack, AVerifiedFileWrittenInLargePiecesArrivesWhole)
{
    glorvak::test::ScratchFolder folder;
    const auto target = folder.child ("out.bin");
    juce::MemoryBlock expected;
    juce::Random random (7);

    {
        VerifiedOutputFile output (target, {});
        auto stream = output.openStream();
        ASSERT_NE (stream, nullptr);

        // Pieces around the step size, so that steps start inside pieces and between them.
        for (int size : {104, 1 << 20, 1048572, 3, (1 << 20) + 5, 2 << 20, 77})
        {
            juce::MemoryBlock piece ((size_t)size);
            random.fillBitsRandomly (piece.getData(), piece.getSize());
            ASSERT_TRUE (stream->write (piece.getData(), piece.getSize()));
            expected.append (piece.getData(), piece.getSize());
        }

        stream.reset();
        ASSERT_TRUE (output.commit());
    }

    juce::MemoryBlock written;
    ASSERT_TRUE (target.loadFileAsData (written));
    EXPECT_TRUE (written == expected);
}
} // namespace
