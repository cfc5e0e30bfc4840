#include "common/reader/FileReader/FileReadAlac.h"
#include "common/reader/AudioReaderFactory.h"
#include "common/reader/Mp4AtomParser.h"
#include "support/AlacFixtures.h"

#include <gtest/gtest.h>

using quelbix::FileReadAlac;
using quelbix::StereoSample;
using testfixtures::PlanarPcm;

namespace
{
constexpr int packet = 4096;

struct Encoded
{
    PlanarPcm pcm;
    int bits = 16;
    juce::MemoryBlock file;
};

// PCM of the given shape with the extreme values of its width in it, encoded as ALAC.
Encoded encode (int channels, int bits, int frames, alacfixtures::AlacOptions options = {})
{
    Encoded e;
    e.bits = bits;
    e.pcm = testfixtures::makeTestPcm (channels, frames, bits, (juce::uint32) (channels * 100 + bits));
    const auto peak = (1 << (bits - 1)) - 1;
    e.pcm.front()[100] = peak;
    e.pcm.back()[101] = -peak - 1;
    options.bitsPerSample = bits;
    e.file = alacfixtures::encodeAlac (e.pcm, options);
    return e;
}

juce::File writeFile (const Encoded& e, const juce::String& name)
{
    return testfixtures::writeTempFile (name, e.file);
}

// What the reader must deliver for frame i: the first channel left, the last right, scaled so
// that full scale in the file's width is 1.
StereoSample expectedFrame (const Encoded& e, int i)
{
    if (i < 0 || i >= (int)e.pcm[0].size())
        return {};

    auto scale = [&e] (juce::int32 v)
    { return (float)(juce::int32) ((juce::uint32)v << (32 - e.bits)) / 2147483648.0f; };
    return {scale (e.pcm.front()[(size_t)i]), scale (e.pcm.back()[(size_t)i])};
}

std::vector<StereoSample> readRange (quelbix::AbstractReader& reader, int start, int count)
{
    std::vector<StereoSample> frames ((size_t)count, StereoSample{9.0f, 9.0f});
    reader.read (start, frames.data(), count);
    return frames;
}

::testing::AssertionResult matches (const std::vector<StereoSample>& frames, int start, const Encoded& e)
{
    for (size_t k = 0; k < frames.size(); ++k)
    {
        const int i = start + (int)k;
        const auto expected = expectedFrame (e, i);

        if (frames[k].left != expected.left || frames[k].right != expected.right)
            return ::testing::AssertionFailure()
                   << "frame " << i << ": got " << frames[k].left << "/" << frames[k].right << ", expected "
                   << expected.left << "/" << expected.right;
    }

    return ::testing::AssertionSuccess();
}

struct FormatCase
{
    const char* name;
    int channels;
    int bits;
    const char* muxer;
    const char* movflags;
    const char* fragmentDuration;
};

class AlacFormats : public ::testing::TestWithParam<FormatCase>
{
};

TEST_P (AlacFormats, DecodesExactlyTheEncodedPcmSequentiallyAndFromAnyStart)
{
    const auto& c = GetParam();
    const int length = packet * 30 + 777;
    alacfixtures::AlacOptions options;
    options.muxer = c.muxer;
    options.movflags = c.movflags;
    options.fragmentDuration = c.fragmentDuration;
    const auto e = encode (c.channels, c.bits, length, options);
    ASSERT_GT (e.file.getSize(), 0u) << "encoder or muxer refused";
    const auto path = writeFile (e, juce::String (c.name) + ".m4a").getFullPathName();

    FileReadAlac reader;
    ASSERT_TRUE (reader.open (path));
    EXPECT_EQ (reader.getLengthInSamples(), length);
    EXPECT_EQ (reader.getSampleRate(), 44100);
    EXPECT_EQ (reader.getFileSampleRate(), 44100);
    EXPECT_EQ (reader.getNumChannels(), c.channels);
    EXPECT_EQ (reader.getBitsPerSample(), c.bits);

    // Blocks of the conversion's size, running past the end.
    for (int start = 0; start < length + 9000; start += 8192)
        ASSERT_TRUE (matches (readRange (reader, start, 8192), start, e)) << "block at " << start;

    // Fresh readers, so that every start is the first read (always a jump); the last ones cross
    // or lie past the end.
    for (int start : {0, 4095, 4096, 8191, 9999, packet * 25 + 17, length - 3, length, length + 100})
    {
        SCOPED_TRACE (start);
        FileReadAlac fresh;
        ASSERT_TRUE (fresh.open (path));
        EXPECT_TRUE (matches (readRange (fresh, start, 5000), start, e));
    }

    // One reader jumping back and forth, into the packet that would be decoded next among them.
    for (int start : {9999, 100, 4096 + 5, 8191, 0, packet * 29, 3})
    {
        SCOPED_TRACE (start);
        EXPECT_TRUE (matches (readRange (reader, start, 1500), start, e));
    }
}

INSTANTIATE_TEST_SUITE_P (
    Alac, AlacFormats,
    ::testing::Values (
        FormatCase{"mono16", 1, 16, "ipod", "", ""}, FormatCase{"stereo16", 2, 16, "ipod", "", ""},
        FormatCase{"mono24", 1, 24, "ipod", "", ""}, FormatCase{"stereo24", 2, 24, "ipod", "", ""},
        FormatCase{"quicktime", 2, 16, "mov", "", ""},
        FormatCase{"fragmented", 2, 24, "mp4", "frag_keyframe+empty_moov+default_base_moof", "300000"},
        FormatCase{"fragmentedWithIndex", 1, 16, "mp4",
                   "frag_keyframe+empty_moov+default_base_moof+global_sidx", "300000"}),
    [] (const auto& info) { return std::string (info.param.name); });

TEST (FileReadAlac, ConsecutiveReadsEqualOneRead)
{
    const auto e = encode (2, 16, packet * 4, {});
    const auto path = writeFile (e, "consecutive.m4a").getFullPathName();
    FileReadAlac whole, split;
    ASSERT_TRUE (whole.open (path));
    ASSERT_TRUE (split.open (path));

    const auto all = readRange (whole, 1000, 9000);
    auto first = readRange (split, 1000, 3333);
    const auto second = readRange (split, 4333, 9000 - 3333);
    first.insert (first.end(), second.begin(), second.end());

    for (size_t i = 0; i < all.size(); ++i)
        ASSERT_TRUE (all[i].left == first[i].left && all[i].right == first[i].right) << i;
}

TEST (FileReadAlac, FactoryOpensAlacInM4aAndMp4)
{
    const auto e = encode (2, 24, packet * 2, {});

    for (auto name : {"factory.m4a", "factory.MP4"})
    {
        SCOPED_TRACE (name);
        quelbix::AudioReaderFactory factory;
        factory.addDefaultFactories();
        const auto file = writeFile (e, name);
        testing::internal::CaptureStdout();
        auto reader = factory.createReader (file.getFullPathName());
        testing::internal::GetCapturedStdout(); // an AAC reader before this one may decline it
        ASSERT_NE (reader, nullptr);
        EXPECT_NE (dynamic_cast<FileReadAlac*> (reader.get()), nullptr);
        EXPECT_TRUE (matches (readRange (*reader, 0, 3000), 0, e));
    }
}

//==============================================================================
// Byte patches of a muxed file: "alac" config atom fields and table entries.
struct Patch
{
    const char* atom;
    int occurrence;   // 0 = first atom of that type, 1 = the second (the config inside the entry)
    int offsetInAtom; // from the atom's size field
    std::vector<juce::uint8> bytes;
};

void applyPatch (juce::MemoryBlock& file, const Patch& patch)
{
    auto position = alacfixtures::findAtom (file, patch.atom);

    for (int i = 0; i < patch.occurrence; ++i)
        position = alacfixtures::findAtom (file, patch.atom, (size_t)position + 1);

    ASSERT_GE (position, 0);

    for (size_t i = 0; i < patch.bytes.size(); ++i)
        file[(size_t)position + (size_t)patch.offsetInAtom + i] = (char)patch.bytes[i];
}

struct RefusedCase
{
    const char* name;
    int channels;
    int bits;
    int sampleRate;
    std::vector<Patch> patches;
};

TEST (FileReadAlac, RefusedFilesPrintOneAnalyzeLine)
{
    // The config atom inside the sample entry: payload at +8, bit depth at payload + 9,
    // channels at + 13. The first stts pair's duration sits at +20 from the atom start.
    const RefusedCase cases[] = {
        {"rate96000", 2, 16, 96000, {}},
        {"threeChannels", 2, 16, 44100, {{"alac", 1, 8 + 13, {3}}}},
        {"twentyBits", 2, 24, 44100, {{"alac", 1, 8 + 9, {20}}}},
        {"thirtyTwoBits", 2, 24, 44100, {{"alac", 1, 8 + 9, {32}}}},
        {"durationTooLong", 2, 16, 44100, {{"stts", 0, 20, {0, 0, 0xff, 0xff}}}},
        {"zeroDuration", 2, 16, 44100, {{"stts", 0, 20, {0, 0, 0, 0}}}},
        {"negativeDuration", 2, 16, 44100, {{"stts", 0, 20, {0x80, 0, 0x10, 0}}}},
        {"negativeRate", 2, 16, 44100, {{"alac", 1, 8 + 24, {0x80, 0, 0xac, 0x44}}}},
        {"noConfig", 2, 16, 44100, {{"alac", 1, 4, {'x'}}}},
        {"noMovie", 2, 16, 44100, {{"moov", 0, 4, {'f', 'r', 'e', 'e'}}}},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        alacfixtures::AlacOptions options;
        options.sampleRate = c.sampleRate;
        auto e = encode (c.channels, c.bits, packet * 3, options);
        ASSERT_GT (e.file.getSize(), 0u);

        for (auto& patch : c.patches)
            applyPatch (e.file, patch);

        const auto file = writeFile (e, juce::String (c.name) + ".m4a");
        FileReadAlac reader;
        testing::internal::CaptureStdout();
        const bool opened = reader.open (file.getFullPathName());
        const auto output = juce::String (testing::internal::GetCapturedStdout());
        EXPECT_FALSE (opened);
        const auto lines = juce::StringArray::fromLines (output.trimEnd());
        ASSERT_EQ (lines.size(), 1) << output;
        EXPECT_TRUE (lines[0].startsWith ("ERROR : file analyze ")) << output;
        EXPECT_TRUE (lines[0].endsWith (file.getFullPathName())) << output;
    }
}

TEST (FileReadAlac, TruncatedFilesNeverCrashAndPlayWhatTheyHold)
{
    // The movie atom first, so that a cut file keeps its tables and loses packets.
    alacfixtures::AlacOptions options;
    options.movflags = "faststart";
    const auto e = encode (2, 16, packet * 6 + 10, options);
    const auto full = e.file.getSize();
    ASSERT_LT (alacfixtures::findAtom (e.file, "moov"), alacfixtures::findAtom (e.file, "mdat"));

    for (size_t cut = 0; cut < full; cut += juce::jmax ((size_t)1, cut < 2000 ? (size_t)37 : (size_t)997))
    {
        SCOPED_TRACE ((int)cut);
        const auto file = testfixtures::writeTempFile ("cut.m4a", juce::MemoryBlock (e.file.getData(), cut));
        FileReadAlac reader;
        testing::internal::CaptureStdout();
        const bool opened = reader.open (file.getFullPathName());
        testing::internal::GetCapturedStdout();

        if (opened)
        {
            // Whole packets only: what is there is exact.
            EXPECT_EQ (reader.getLengthInSamples() % packet, 0);
            EXPECT_TRUE (matches (readRange (reader, 0, reader.getLengthInSamples()), 0, e));
            EXPECT_TRUE (matches (readRange (reader, reader.getLengthInSamples(), 100), 1 << 30, e));
        }

        file.deleteFile();
    }
}

//==============================================================================
// Packet positions as the parser sees them.
std::vector<quelbix::FrameIndexEntry> packetsOf (const juce::MemoryBlock& file)
{
    juce::MemoryInputStream input (file, false);
    quelbix::Mp4AtomParser parser;
    EXPECT_TRUE (parser.parse (input));
    return parser.frames;
}

// Overwrites a packet with bytes that start an element type the decoder does not know.
void corruptPacket (juce::MemoryBlock& file, const quelbix::FrameIndexEntry& entry)
{
    for (int i = 0; i < entry.getByteSize(); ++i)
        file[(size_t)entry.byteOffset + (size_t)i] = 0x40;
}

TEST (FileReadAlac, CorruptPacketsBecomeSilenceAndReadingRecovers)
{
    auto e = encode (2, 16, packet * 30, {});
    const auto packets = packetsOf (e.file);
    ASSERT_EQ (packets.size(), 30u);
    corruptPacket (e.file, packets[3]);
    corruptPacket (e.file, packets[20]);
    const auto path = writeFile (e, "corrupt.m4a").getFullPathName();

    auto silent = [] (const std::vector<StereoSample>& frames)
    {
        return std::all_of (frames.begin(), frames.end(),
                            [] (auto f) { return f.left == 0.0f && f.right == 0.0f; });
    };

    FileReadAlac reader;
    ASSERT_TRUE (reader.open (path));

    // Sequentially, the request that meets the bad packet is silent from there on ...
    EXPECT_TRUE (matches (readRange (reader, 0, packet * 3), 0, e));
    EXPECT_TRUE (silent (readRange (reader, packet * 3, 100)));
    // ... and the next request jumps: silence up to the next packet, then exact audio.
    const auto around = readRange (reader, packet * 3 + 100, packet * 2);
    EXPECT_TRUE (silent ({around.begin(), around.begin() + (packet - 100)}));
    EXPECT_TRUE (matches ({around.begin() + (packet - 100), around.end()}, packet * 4, e));

    // A jump whose pre-roll holds the bad packet skips it and still lands exactly.
    FileReadAlac jumper;
    ASSERT_TRUE (jumper.open (path));
    EXPECT_TRUE (matches (readRange (jumper, packet * 25 + 5, 3000), packet * 25 + 5, e));
    EXPECT_TRUE (matches (readRange (jumper, packet * 5 + 1, 3000), packet * 5 + 1, e));

    // A jump into the middle of a bad packet: silence to its end, the next packet exact.
    const auto across = readRange (jumper, packet * 20 + 4000, 1000);
    EXPECT_TRUE (silent ({across.begin(), across.begin() + 96}));
    EXPECT_TRUE (matches ({across.begin() + 96, across.end()}, packet * 21, e));
}

TEST (FileReadAlac, APacketLargerThanTheBufferIsRefusedNotRead)
{
    auto e = encode (1, 16, packet * 8, {});
    const auto sizeTable = alacfixtures::findAtom (e.file, "stsz");
    ASSERT_GE (sizeTable, 0);
    // stsz: size, type, version and flags, constant size, count, then the table; packet 5 gets
    // more bytes than a 16-bit mono packet of 4096 samples can need, but still inside the file.
    const auto entry = (size_t)sizeTable + 20 + 5 * 4;
    const juce::uint32 huge = packet * 2 + 9;
    ASSERT_LT (huge, e.file.getSize());

    for (int i = 0; i < 4; ++i)
        e.file[entry + (size_t)i] = (char)(juce::uint8) (huge >> (24 - 8 * i));

    FileReadAlac reader;
    ASSERT_TRUE (reader.open (writeFile (e, "hugepacket.m4a").getFullPathName()));
    EXPECT_TRUE (matches (readRange (reader, 0, packet * 5), 0, e));
    const auto refused = readRange (reader, packet * 5, packet);
    EXPECT_TRUE (std::all_of (refused.begin(), refused.end(),
                              [] (auto f) { return f.left == 0.0f && f.right == 0.0f; }));
}
} // namespace
