#include "common/reader/FileReader/FileReadMp4.h"
#include "support/AacFixtures.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer's runtime has this hook; GCC ships no header that declares it.
extern "C" int __sanitizer_install_malloc_and_free_hooks (void (*onMalloc) (const volatile void*, size_t),
                                                          void (*onFree) (const volatile void*));
#endif

namespace
{
using aacfixtures::AacOptions;
using quelbix::FileReadMp4;

// Writes bits most significant first, for hand-made AudioSpecificConfigs.
struct BitWriter
{
    std::vector<juce::uint8> bytes;
    int used = 0;

    BitWriter& put (juce::uint32 value, int numBits)
    {
        for (int i = numBits; --i >= 0;)
        {
            if (used % 8 == 0)
                bytes.push_back (0);

            bytes.back() |= (juce::uint8) (((value >> i) & 1) << (7 - used % 8));
            ++used;
        }

        return *this;
    }
};

// AAC-LC at 22050 Hz, stereo, signalling SBR at 44100 Hz the backward-compatible way, and PS as
// well when asked.
std::vector<juce::uint8> backwardCompatibleSbrConfig (bool withPs)
{
    BitWriter writer;
    writer.put (2, 5).put (7, 4).put (2, 4).put (0, 3).put (0x2B7, 11).put (5, 5).put (1, 1).put (4, 4);

    if (withPs)
        writer.put (0x548, 11).put (1, 1);

    return writer.bytes;
}

TEST (FileReadMp4Config, ParsesAudioSpecificConfigs)
{
    struct Case
    {
        const char* name;
        std::vector<juce::uint8> bytes;
        int objectType, frequency, channels, extensionFrequency;
        bool sbr, ps;
    };

    const Case cases[] = {
        {"AAC-LC 44100 stereo", BitWriter().put (2, 5).put (4, 4).put (2, 4).put (0, 3).bytes, 2, 44100, 2, 0,
         false, false},
        {"explicit SBR", BitWriter().put (5, 5).put (7, 4).put (2, 4).put (4, 4).put (2, 5).put (0, 3).bytes,
         5, 22050, 2, 44100, true, false},
        {"explicit PS", BitWriter().put (29, 5).put (6, 4).put (1, 4).put (3, 4).put (2, 5).put (0, 3).bytes,
         29, 24000, 1, 48000, true, true},
        {"backward-compatible SBR and PS", backwardCompatibleSbrConfig (true), 2, 22050, 2, 44100, true,
         true},
        {"escaped frequency", BitWriter().put (2, 5).put (15, 4).put (12345, 24).put (1, 4).bytes, 2, 12345,
         1, 0, false, false},
        {"one byte", {0x12}, 2, 0, 0, 0, false, false},
        {"nothing", {}, 0, 0, 0, 0, false, false},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        FileReadMp4::Mp4AudioConfig config;
        FileReadMp4::parseAudioSpecificConfig (c.bytes.data(), c.bytes.size(), config);
        EXPECT_EQ (config.audioObjectType, c.objectType);
        EXPECT_EQ (config.samplingFrequency, c.frequency);
        EXPECT_EQ (config.channelConfiguration, c.channels);
        EXPECT_EQ (config.extensionSamplingFrequency, c.extensionFrequency);
        EXPECT_EQ (config.sbrPresent, c.sbr);
        EXPECT_EQ (config.psPresent, c.ps);
    }
}

juce::File writeM4a (const std::vector<AacOptions>& tracks, bool videoFirst = false,
                     juce::MemoryBlock* bytes = nullptr)
{
    auto file = aacfixtures::makeTempFile ("tone.m4a");
    EXPECT_TRUE (aacfixtures::writeMp4File (file, "ipod", videoFirst, tracks));

    if (bytes != nullptr)
        file.loadFileAsData (*bytes);

    return file;
}

AacOptions track (int rate, int channels, int frames)
{
    AacOptions options;
    options.sampleRate = rate;
    options.numChannels = channels;
    options.numFrames = frames;
    return options;
}

float peakOf (FileReadMp4& reader, int start, int n, bool* monoEqual = nullptr)
{
    std::vector<quelbix::StereoSample> block ((size_t)n);
    reader.read (start, block.data(), n);
    float peak = 0;

    for (auto s : block)
    {
        peak = juce::jmax (peak, std::abs (s.left), std::abs (s.right));

        if (monoEqual != nullptr && s.left != s.right)
            *monoEqual = false;
    }

    return peak;
}

TEST (FileReadMp4, OpensEncodedFilesWithRateChannelsAndTheTablesLength)
{
    for (auto options : {track (44100, 2, 44100), track (48000, 1, 30000), track (22050, 2, 22050)})
    {
        SCOPED_TRACE (options.sampleRate);
        const auto file = writeM4a ({options});
        FileReadMp4 reader;
        ASSERT_TRUE (reader.open (file.getFullPathName()));
        EXPECT_EQ (reader.getSampleRate(), options.sampleRate);
        EXPECT_EQ (reader.getFileSampleRate(), options.sampleRate);
        // The sample entry of these files says 2 channels for mono as well.
        EXPECT_EQ (reader.getNumChannels(), 2);
        EXPECT_EQ (reader.getBitsPerSample(), 16);

        // The table counts the encoder's priming frame and the real duration of the last frame.
        const auto& index = reader.getFrameIndex();
        ASSERT_GT (index.size(), 2u);
        EXPECT_EQ (index.front().sampleCount, 1024);
        EXPECT_EQ (reader.getLengthInSamples(), index.back().firstSample + index.back().sampleCount);
        EXPECT_EQ (reader.getLengthInSamples(), options.numFrames + 1024);
        EXPECT_GT (peakOf (reader, options.numFrames / 2, 2000), 0.2f);
    }
}

TEST (FileReadMp4, DecodesTheTrackItAnalysed)
{
    // The decoder left to itself would take the last audio track.
    const auto file = writeM4a ({track (44100, 1, 44100), track (32000, 2, 32000)});
    FileReadMp4 reader;
    ASSERT_TRUE (reader.open (file.getFullPathName()));
    EXPECT_EQ (reader.getSampleRate(), 44100);
    bool monoEqual = true;
    EXPECT_GT (peakOf (reader, 20000, 2000, &monoEqual), 0.2f);
    EXPECT_TRUE (monoEqual);
}

TEST (FileReadMp4, AVideoTrackFirstIsSkipped)
{
    const auto file = writeM4a ({track (48000, 2, 24000)}, true);
    FileReadMp4 reader;
    ASSERT_TRUE (reader.open (file.getFullPathName()));
    EXPECT_EQ (reader.getSampleRate(), 48000);
    EXPECT_EQ (reader.getNumChannels(), 2);
    EXPECT_GT (peakOf (reader, 10000, 2000), 0.2f);
}

TEST (FileReadMp4, ExplicitSbrDoublesTheRateAndDurations)
{
    auto options = track (22050, 2, 22050);
    options.audioSpecificConfig = backwardCompatibleSbrConfig (false);
    FileReadMp4 sbr;
    ASSERT_TRUE (sbr.open (writeM4a ({options}).getFullPathName()));
    EXPECT_EQ (sbr.getSampleRate(), 44100);
    EXPECT_EQ (sbr.getFileSampleRate(), 22050);
    EXPECT_EQ (sbr.getFrameIndex().front().sampleCount, 2048);
    EXPECT_EQ (sbr.getFrameIndex()[1].firstSample, 2048);

    FileReadMp4 plain;
    ASSERT_TRUE (plain.open (writeM4a ({track (22050, 2, 22050)}).getFullPathName()));
    EXPECT_EQ (plain.getSampleRate(), 22050);
    EXPECT_EQ (plain.getFileSampleRate(), 22050);
}

// The offset of the payload of the first atom of this type in the file's bytes.
size_t payloadOf (const juce::MemoryBlock& bytes, const char* type)
{
    const auto* data = static_cast<const char*> (bytes.getData());

    for (size_t i = 4; i + 4 <= bytes.getSize(); ++i)
        if (std::memcmp (data + i, type, 4) == 0)
            return i + 4;

    ADD_FAILURE() << "no " << type;
    return 0;
}

void putBigEndian (juce::MemoryBlock& bytes, size_t offset, juce::uint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + (size_t)i] = (char)(value >> (24 - 8 * i));
}

bool opensPatched (const juce::MemoryBlock& original, const std::function<void (juce::MemoryBlock&)>& patch,
                   FileReadMp4& reader)
{
    auto bytes = original;
    patch (bytes);
    auto file = aacfixtures::makeTempFile ("patched.m4a");
    EXPECT_TRUE (file.replaceWithData (bytes.getData(), bytes.getSize()));
    return reader.open (file.getFullPathName());
}

TEST (FileReadMp4, HostileTablesAreRefusedOrBounded)
{
    juce::MemoryBlock original;
    writeM4a ({track (44100, 2, 44100)}, false, &original);

    struct Case
    {
        const char* name;
        std::function<void (juce::MemoryBlock&)> patch;
        bool opens;
    };

    const auto esdsConfigLength = [] (juce::MemoryBlock& b)
    {
        // The decoder-specific descriptor: tag 5 and a four-byte length, made as long as it can be.
        const auto esds = payloadOf (b, "esds");
        for (size_t i = esds; i < esds + 40; ++i)
            if (b[i] == 5 && (juce::uint8)b[i + 1] == 0x80)
            {
                b[i + 1] = (char)0xFF, b[i + 2] = (char)0xFF, b[i + 3] = (char)0xFF, b[i + 4] = 0x7F;
                return;
            }
        ADD_FAILURE() << "no decoder-specific descriptor";
    };

    const Case cases[] = {
        {"zero duration", [] (juce::MemoryBlock& b) { putBigEndian (b, payloadOf (b, "stts") + 12, 0); },
         false},
        {"negative duration",
         [] (juce::MemoryBlock& b) { putBigEndian (b, payloadOf (b, "stts") + 12, 0xFFFFFC00); }, false},
        // The analysis reads what the atoms hold; the decoder then refuses the claims.
        {"huge stts count",
         [] (juce::MemoryBlock& b) { putBigEndian (b, payloadOf (b, "stts") + 4, 0xFFFFFFFF); }, false},
        {"huge sample count",
         [] (juce::MemoryBlock& b) { putBigEndian (b, payloadOf (b, "stsz") + 8, 0x7FFFFFFF); }, false},
        {"huge chunk count",
         [] (juce::MemoryBlock& b) { putBigEndian (b, payloadOf (b, "stco") + 4, 0xFFFFFFFF); }, false},
        {"huge configuration length", esdsConfigLength, false},
        {"six channels", [] (juce::MemoryBlock& b) { b[payloadOf (b, "mp4a") + 17] = 6; }, false},
        {"time scale 96000",
         [] (juce::MemoryBlock& b) { putBigEndian (b, payloadOf (b, "mdhd") + 12, 96000); }, false},
        {"atom size below its header",
         [] (juce::MemoryBlock& b) { putBigEndian (b, payloadOf (b, "moov") - 8, 4); }, false},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        FileReadMp4 reader;
        ASSERT_EQ (opensPatched (original, c.patch, reader), c.opens);

        if (c.opens)
        {
            EXPECT_LE (reader.getFrameIndex().size(), (size_t)original.getSize());
            EXPECT_GT (peakOf (reader, 20000, 1000), 0.2f);
        }
    }
}

#if defined(__SANITIZE_ADDRESS__)
std::atomic<size_t> largestAllocation{0};

void recordAllocation (const volatile void*, size_t size)
{
    auto seen = largestAllocation.load();

    while (size > seen && !largestAllocation.compare_exchange_weak (seen, size))
    {
    }
}

void ignoreFree (const volatile void*) {}
#endif

// Found by fuzzing: 5 KB whose sample tables make the decoder library ask for 670 MB in one
// block while opening. Opening may fail, but never at that cost.
TEST (FileReadMp4, TinyFileDeclaringHugeTablesCostsNoHugeAllocation)
{
#if defined(__SANITIZE_ADDRESS__)
    static const bool hooked = __sanitizer_install_malloc_and_free_hooks (recordAllocation, ignoreFree) != 0;
    ASSERT_TRUE (hooked);

    const auto file =
        juce::File (glorvak::test::dataFolder()).getChildFile ("reader/mp4-huge-sample-tables.m4a");
    ASSERT_TRUE (file.existsAsFile());

    largestAllocation = 0;
    {
        FileReadMp4 reader;
        reader.open (file.getFullPathName());
    }

    EXPECT_LT (largestAllocation.load(), (size_t)300 * 1024 * 1024);
#else
    GTEST_SKIP() << "allocations are watched through AddressSanitizer's hooks";
#endif
}

TEST (FileReadMp4, AverageBitRateIsReportedOnlyWhenRound)
{
    juce::MemoryBlock original;
    writeM4a ({track (44100, 2, 20000)}, false, &original);

    for (auto [rate, reported] :
         {std::pair{128000u, 128000}, std::pair{129000u, 0}, std::pair{160000u, 160000}})
    {
        SCOPED_TRACE ((int)rate);
        FileReadMp4 reader;
        const auto patch = [rate = rate] (juce::MemoryBlock& b)
        {
            const auto esds = payloadOf (b, "esds");
            for (size_t i = esds; i < esds + 40; ++i)
                if (b[i] == 4 && (juce::uint8)b[i + 1] == 0x80)
                    return putBigEndian (b, i + 5 + 1 + 4 + 4, rate);
            ADD_FAILURE() << "no decoder configuration descriptor";
        };
        ASSERT_TRUE (opensPatched (original, patch, reader));
        EXPECT_EQ (reader.getBitRate(), reported);
    }
}

TEST (FileReadMp4, EveryTruncationOpensOrFailsCleanly)
{
    juce::MemoryBlock bytes;
    writeM4a ({track (44100, 2, 8000)}, false, &bytes);
    auto file = aacfixtures::makeTempFile ("cut.m4a");

    for (size_t size = 0; size < bytes.getSize(); size += juce::jmax ((size_t)1, bytes.getSize() / 60))
    {
        SCOPED_TRACE ((int)size);
        ASSERT_TRUE (file.replaceWithData (bytes.getData(), size));
        FileReadMp4 reader;

        if (reader.open (file.getFullPathName()))
            peakOf (reader, reader.getLengthInSamples() / 2, 3000);
    }
}
} // namespace
