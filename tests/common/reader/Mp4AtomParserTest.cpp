#include "common/reader/Mp4AtomParser.h"
#include "support/AlacFixtures.h"

#include <gtest/gtest.h>

#include <array>

using alacfixtures::AtomBuilder;
using quelbix::FrameIndexEntry;
using quelbix::Mp4AtomParser;

namespace
{
enum class Entry
{
    alac,          // version-0 sound description, config atom right after it
    alacQuickTime, // version-1 description, config inside a "wave" atom
    aac,
    aacAndAlac, // an "esds" inside the ALAC entry: AAC wins
    opus,
    flac
};

// A plain (non-fragmented) file: "ftyp", "mdat" holding the packets back to back, "moov".
struct PlainFile
{
    Entry entry = Entry::alac;
    bool videoTrackFirst = false;
    std::vector<std::pair<juce::uint32, juce::uint32>> stts{{5, 4096}};
    std::vector<juce::uint32> sizes{100, 120, 90, 80, 110}; // empty = constant size
    juce::uint32 constantSize = 0, constantCount = 0;
    std::vector<std::array<juce::uint32, 3>> stsc{{1, 2, 1}};
    bool co64 = false;
    juce::uint64 co64High = 0; // added to every 64-bit chunk offset
    bool longDescriptors = false;
    int esLength = -1; // overrides the ES descriptor's length
    juce::uint32 averageBitRate = 128000, maximumBitRate = 160000;
    bool largeMdatSize = false; // "mdat" with a 64-bit size field
    bool mdatRunsToEnd = false; // "mdat" last, with size 0
    juce::uint32 mdatExtra = 0; // bytes after the packets

    juce::uint32 totalSamples() const { return sizes.empty() ? constantCount : (juce::uint32)sizes.size(); }
    juce::uint32 sizeOf (size_t i) const { return sizes.empty() ? constantSize : sizes[i]; }
};

void descriptorLength (AtomBuilder& b, juce::uint32 length, bool longForm)
{
    if (longForm)
        b.u8 (0x80).u8 (0x80).u8 (0x80);

    b.u8 ((juce::uint8)length);
}

void soundDescription (AtomBuilder& b, int version, int channels, int bits, int rate)
{
    b.zeros (6)
        .u16 (1)
        .u16 ((juce::uint16)version)
        .zeros (6)
        .u16 ((juce::uint16)channels)
        .u16 ((juce::uint16)bits);
    b.u16 (0).u16 (0).u32 ((juce::uint32)rate << 16);

    if (version == 1)
        b.u32 (4096).u32 (1).u32 (4).u32 (2);
}

void alacConfigAtom (AtomBuilder& b, int bits = 16, int channels = 2, int rate = 44100)
{
    b.begin ("alac").u32 (0).u32 (4096).u8 (0).u8 ((juce::uint8)bits).u8 (40).u8 (10).u8 (14);
    b.u8 ((juce::uint8)channels).u16 (255).u32 (0).u32 (705600).u32 ((juce::uint32)rate).end();
}

void esds (AtomBuilder& b, const PlainFile& f)
{
    const juce::uint8 audioConfig[] = {0x12, 0x10};
    const juce::uint32 extra = f.longDescriptors ? 3 : 0;
    const juce::uint32 decoderLength = 13 + 2 + extra + 2;
    const juce::uint32 esLength = 3 + 2 + extra + decoderLength + 2 + extra + 1;
    b.begin ("esds").u32 (0).u8 (3);
    descriptorLength (b, f.esLength >= 0 ? (juce::uint32)f.esLength : esLength, f.longDescriptors);
    b.u16 (1).u8 (0).u8 (4);
    descriptorLength (b, decoderLength, f.longDescriptors);
    b.u8 (0x40).u8 (0x15).zeros (3).u32 (f.maximumBitRate).u32 (f.averageBitRate).u8 (5);
    descriptorLength (b, 2, f.longDescriptors);
    b.bytes (audioConfig, 2).u8 (6);
    descriptorLength (b, 1, f.longDescriptors);
    b.u8 (2).end();
}

void sampleEntry (AtomBuilder& b, const PlainFile& f)
{
    switch (f.entry)
    {
        case Entry::alac:
            b.begin ("alac");
            soundDescription (b, 0, 2, 16, 44100);
            alacConfigAtom (b);
            b.end();
            break;
        case Entry::alacQuickTime:
            b.begin ("alac");
            soundDescription (b, 1, 2, 16, 44100);
            b.begin ("wave").begin ("frma").bytes ("alac", 4).end();
            alacConfigAtom (b, 24, 1, 48000);
            b.u32 (8).u32 (0).end().end();
            break;
        case Entry::aac:
            b.begin ("mp4a");
            soundDescription (b, 0, 2, 16, 44100);
            esds (b, f);
            b.end();
            break;
        case Entry::aacAndAlac:
            b.begin ("alac");
            soundDescription (b, 0, 2, 16, 44100);
            alacConfigAtom (b);
            b.end();
            b.begin ("mp4a");
            soundDescription (b, 0, 2, 16, 44100);
            esds (b, f);
            b.end();
            break;
        case Entry::opus:
            b.begin ("Opus");
            soundDescription (b, 0, 2, 16, 48000);
            b.begin ("dOps").u8 (0).u8 (2).u16 (312).u32 (44100).u16 (0).u8 (0).end().end();
            break;
        case Entry::flac:
        {
            b.begin ("fLaC");
            soundDescription (b, 0, 2, 16, 44100);
            // STREAMINFO: block sizes, frame sizes, then 20 bits rate, 3 bits channels - 1,
            // 5 bits bits - 1 and 36 bits of samples: 96000 Hz, 1 channel, 24 bits, 123456.
            const juce::uint64 packed =
                ((juce::uint64)96000 << 44) | ((juce::uint64)0 << 41) | ((juce::uint64)23 << 36) | 123456u;
            b.begin ("dfLa")
                .u32 (0)
                .u32 (0x80000000u | 34)
                .u16 (4096)
                .u16 (4096)
                .zeros (6)
                .u64 (packed)
                .zeros (16)
                .end();
            b.end();
            break;
        }
    }
}

void videoTrack (AtomBuilder& b)
{
    b.begin ("trak").begin ("mdia").begin ("minf").begin ("stbl");
    b.begin ("stsd").u32 (0).u32 (1).begin ("avc1").zeros (78).end().end();
    b.begin ("stts").u32 (0).u32 (0).end().end().end().end().end();
}

// Lays the file out with the packets starting at dataStart.
juce::MemoryBlock layout (const PlainFile& f, juce::uint64 dataStart)
{
    AtomBuilder b;
    b.begin ("ftyp").bytes ("M4A ", 4).u32 (0).end();

    // Chunk offsets: the packets lie back to back, chunk after chunk.
    std::vector<juce::uint64> chunkOffsets;
    juce::uint64 offset = dataStart;
    juce::uint32 sample = 0;

    for (juce::uint32 chunk = 1; sample < f.totalSamples(); ++chunk)
    {
        juce::uint32 perChunk = 0;

        for (auto& run : f.stsc)
            if (run[0] <= chunk)
                perChunk = run[1];

        if (perChunk == 0)
            break;

        chunkOffsets.push_back (offset);

        for (juce::uint32 k = 0; k < perChunk && sample < f.totalSamples(); ++k)
            offset += f.sizeOf (sample++);
    }

    auto mdat = [&]
    {
        b.begin ("mdat", f.largeMdatSize);

        for (juce::uint32 i = 0; i < f.totalSamples(); ++i)
            for (juce::uint32 k = 0; k < f.sizeOf (i); ++k)
                b.u8 ((juce::uint8) (i + 1));

        b.zeros (f.mdatExtra);
        b.end();
    };

    if (!f.mdatRunsToEnd)
        mdat();

    b.begin ("moov");

    if (f.videoTrackFirst)
        videoTrack (b);

    b.begin ("trak").begin ("mdia");
    b.begin ("mdhd").u32 (0).u32 (0).u32 (0).u32 (22050).u32 (0).u32 (0).end();
    b.begin ("minf").begin ("stbl");
    b.begin ("stsd").u32 (0).u32 (1);
    sampleEntry (b, f);
    b.end();
    b.begin ("stts").u32 (0).u32 ((juce::uint32)f.stts.size());

    for (auto& pair : f.stts)
        b.u32 (pair.first).u32 (pair.second);

    b.end().begin ("stsc").u32 (0).u32 ((juce::uint32)f.stsc.size());

    for (auto& run : f.stsc)
        b.u32 (run[0]).u32 (run[1]).u32 (run[2]);

    b.end().begin ("stsz").u32 (0).u32 (f.sizes.empty() ? f.constantSize : 0).u32 (f.totalSamples());

    for (auto size : f.sizes)
        b.u32 (size);

    b.end().begin (f.co64 ? "co64" : "stco").u32 (0).u32 ((juce::uint32)chunkOffsets.size());

    for (auto chunkOffset : chunkOffsets)
        f.co64 ? b.u64 (chunkOffset + f.co64High) : b.u32 ((juce::uint32)chunkOffset);

    b.end().end().end().end().end().end();

    if (f.mdatRunsToEnd)
    {
        const auto start = b.size();
        mdat();
        b.patchU32 (start, 0); // size 0: to the end of the file
    }

    return b.getData();
}

juce::MemoryBlock build (const PlainFile& f)
{
    const auto header = f.largeMdatSize ? 16u : 8u;

    if (!f.mdatRunsToEnd)
        return layout (f, 16 + header);

    // The packets follow the movie atom, whose size does not depend on the offsets in it.
    juce::uint64 packetBytes = f.mdatExtra;

    for (juce::uint32 i = 0; i < f.totalSamples(); ++i)
        packetBytes += f.sizeOf (i);

    return layout (f, layout (f, 0).getSize() - packetBytes);
}

struct Parsed
{
    bool ok = false;
    std::unique_ptr<Mp4AtomParser> parser = std::make_unique<Mp4AtomParser>();
};

Parsed parse (const juce::MemoryBlock& data)
{
    Parsed p;
    juce::MemoryInputStream input (data, false);
    p.ok = p.parser->parse (input);
    return p;
}

::testing::AssertionResult framesAre (const std::vector<FrameIndexEntry>& frames,
                                      const std::vector<std::array<int, 4>>& expected)
{
    if (frames.size() != expected.size())
        return ::testing::AssertionFailure() << frames.size() << " frames, expected " << expected.size();

    for (size_t i = 0; i < frames.size(); ++i)
    {
        const std::array<int, 4> got{frames[i].byteOffset, frames[i].firstSample, frames[i].sampleCount,
                                     frames[i].byteSize};

        if (got != expected[i])
            return ::testing::AssertionFailure() << "frame " << i << ": {" << got[0] << ", " << got[1] << ", "
                                                 << got[2] << ", " << got[3] << "}";
    }

    return ::testing::AssertionSuccess();
}
} // namespace

namespace
{
//==============================================================================
// Sample-table files.
constexpr int dataStart = 16 + 8; // after "ftyp" and the "mdat" header

TEST (Mp4AtomParser, PlainAlacFileGivesCookieFormatAndOnePacketPerSample)
{
    const PlainFile f;
    const auto p = parse (build (f));
    ASSERT_TRUE (p.ok);
    auto& r = *p.parser;

    ASSERT_EQ (r.configSize, 24u);
    EXPECT_EQ (juce::ByteOrder::bigEndianInt (r.config.get()), 4096u);
    EXPECT_EQ (r.sampleRate, 44100);
    EXPECT_EQ (r.numChannels, 2);
    EXPECT_EQ (r.bitsPerSample, 16);
    EXPECT_EQ (r.bitRate, 705600);
    EXPECT_EQ (r.lengthInSamples, 5 * 4096);
    EXPECT_EQ (r.largestFrameSize, 120u);
    EXPECT_EQ (r.largestFrameDuration, 4096);
    // Two packets per chunk; the last chunk holds one.
    EXPECT_TRUE (framesAre (r.frames, {{dataStart, 0, 4096, 100},
                                       {dataStart + 100, 4096, 4096, 120},
                                       {dataStart + 220, 8192, 4096, 90},
                                       {dataStart + 310, 12288, 4096, 80},
                                       {dataStart + 390, 16384, 4096, 110}}));
    // The sample entry is gone; the "alac" atom left is the configuration atom.
    const auto* cookie = r.findAtom (Mp4AtomParser::fourCC ("alac"));
    ASSERT_NE (cookie, nullptr);
    EXPECT_EQ (cookie->payloadSize, 28);
}

TEST (Mp4AtomParser, SampleTableVariants)
{
    struct Case
    {
        const char* name;
        std::function<void (PlainFile&)> change;
        bool ok;
        std::vector<std::array<int, 4>> frames; // checked when not empty
        int length = 0;                         // checked when not 0
    };

    const Case cases[] = {
        {"co64 keeps the low 32 bits",
         [] (PlainFile& f)
         {
             f.co64 = true;
             f.co64High = 0x100000000ull;
         },
         true,
         {{dataStart, 0, 4096, 100},
          {dataStart + 100, 4096, 4096, 120},
          {dataStart + 220, 8192, 4096, 90},
          {dataStart + 310, 12288, 4096, 80},
          {dataStart + 390, 16384, 4096, 110}}},
        {"constant size without a table",
         [] (PlainFile& f)
         {
             f.sizes.clear();
             f.constantSize = 4096;
             f.constantCount = 3;
             f.stts = {{3, 1024}};
         },
         true,
         {{dataStart, 0, 1024, 4096},
          {dataStart + 4096, 1024, 1024, 4096},
          {dataStart + 8192, 2048, 1024, 4096}}},
        {"durations in several pairs, an empty pair skipped",
         [] (PlainFile& f) {
             f.stts = {{2, 4096}, {0, 7}, {3, 1000}};
         },
         true,
         {},
         2 * 4096 + 3 * 1000},
        {"several chunk runs",
         [] (PlainFile& f) {
             f.stsc = {{1, 1, 1}, {3, 3, 1}};
         },
         true,
         {{dataStart, 0, 4096, 100},
          {dataStart + 100, 4096, 4096, 120},
          {dataStart + 220, 8192, 4096, 90},
          {dataStart + 310, 12288, 4096, 80},
          {dataStart + 390, 16384, 4096, 110}}},
        {"mdat of size 0 runs to the end of the file",
         [] (PlainFile& f) { f.mdatRunsToEnd = true; },
         true,
         {},
         5 * 4096},
        {"mdat with a 64-bit size",
         [] (PlainFile& f) { f.largeMdatSize = true; },
         true,
         {{dataStart + 8, 0, 4096, 100},
          {dataStart + 108, 4096, 4096, 120},
          {dataStart + 228, 8192, 4096, 90},
          {dataStart + 318, 12288, 4096, 80},
          {dataStart + 398, 16384, 4096, 110}}},
        {"video track first: only the first trak is examined",
         [] (PlainFile& f) { f.videoTrackFirst = true; }, false},
        {"stts shorter than stsz",
         [] (PlainFile& f) {
             f.stts = {{4, 4096}};
         },
         false},
        {"zero duration",
         [] (PlainFile& f) {
             f.stts = {{2, 4096}, {3, 0}};
         },
         false},
        {"negative duration",
         [] (PlainFile& f) {
             f.stts = {{5, 0x80000000u}};
         },
         false},
        {"length beyond 32 bits",
         [] (PlainFile& f) {
             f.stts = {{5, 0x40000000u}};
         },
         false},
        {"a chunk run that never starts",
         [] (PlainFile& f) {
             f.stsc = {{1, 1, 1}, {9, 5, 1}};
         },
         true},
        {"no chunk runs", [] (PlainFile& f) { f.stsc.clear(); }, false},
        {"constant size 0 without a table",
         [] (PlainFile& f)
         {
             f.sizes.clear();
             f.constantCount = 3;
         },
         false},
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        PlainFile f;
        c.change (f);
        const auto p = parse (build (f));
        EXPECT_EQ (p.ok, c.ok);

        if (!c.frames.empty())
        {
            EXPECT_TRUE (framesAre (p.parser->frames, c.frames));
        }

        if (c.length != 0)
        {
            EXPECT_EQ (p.parser->lengthInSamples, c.length);
        }
    }
}

TEST (Mp4AtomParser, LargeAtomSizeWhoseLow32BitsAreTooLargeEndsTheWalk)
{
    PlainFile f;
    f.largeMdatSize = true;
    auto data = build (f);
    // The 64-bit size of "mdat" (at 16 + 8): low 32 bits 0x80000000.
    const juce::uint8 size[] = {0, 0, 0, 1, 0x80, 0, 0, 0};
    std::memcpy (static_cast<char*> (data.getData()) + 24, size, 8);
    const auto p = parse (data);
    EXPECT_FALSE (p.ok);
    EXPECT_EQ (p.parser->findAtom (Mp4AtomParser::fourCC ("moov")), nullptr);
}

TEST (Mp4AtomParser, SampleEntryKinds)
{
    // 0: the case does not check that value.
    struct Case
    {
        const char* name;
        Entry entry;
        juce::uint32 configSize;
        int sampleRate, numChannels, bitsPerSample, lengthInSamples;
    };

    const Case cases[] = {
        {"QuickTime version 1: the cookie inside \"wave\"", Entry::alacQuickTime, 24, 48000, 1, 24, 0},
        {"Opus", Entry::opus, 11, 48000, 2, 16, 0},
        {"FLAC: STREAMINFO replaces the sample entry's values", Entry::flac, 4 + 4 + 34, 96000, 1, 24,
         123456},
        // The sample rate from "mdhd".
        {"an esds beside an alac entry: AAC, the ALAC cookie is not looked for", Entry::aacAndAlac, 2, 22050,
         0, 0, 0},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        PlainFile f;
        f.entry = c.entry;
        const auto p = parse (build (f));
        ASSERT_TRUE (p.ok);
        EXPECT_EQ (p.parser->configSize, c.configSize);
        EXPECT_EQ (p.parser->sampleRate, c.sampleRate);

        if (c.numChannels != 0)
        {
            EXPECT_EQ (p.parser->numChannels, c.numChannels);
        }

        if (c.bitsPerSample != 0)
        {
            EXPECT_EQ (p.parser->bitsPerSample, c.bitsPerSample);
        }

        if (c.lengthInSamples != 0)
        {
            EXPECT_EQ (p.parser->lengthInSamples, c.lengthInSamples);
        }
    }
}

TEST (Mp4AtomParser, EsdsDescriptors)
{
    struct Case
    {
        const char* name;
        bool longDescriptors;
        int esLength;
        juce::uint32 average, maximum;
        bool ok;
        int bitRate;
    };

    const Case cases[] = {
        {"short lengths", false, -1, 128000, 160000, true, 128000},
        {"four-byte lengths", true, -1, 128000, 160000, true, 128000},
        {"average neither round nor the peak", false, -1, 127999, 160000, true, 0},
        {"average equal to the peak", false, -1, 127999, 127999, true, 127999},
        {"average a multiple of 80000", false, -1, 240000, 300000, true, 240000},
        {"ES descriptor of 19 bytes", false, 19, 128000, 160000, false, 0},
        {"ES descriptor of 20 bytes", false, 20, 128000, 160000, true, 128000},
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        PlainFile f;
        f.entry = Entry::aac;
        f.longDescriptors = c.longDescriptors;
        f.esLength = c.esLength;
        f.averageBitRate = c.average;
        f.maximumBitRate = c.maximum;
        const auto p = parse (build (f));
        EXPECT_EQ (p.ok, c.ok);

        if (c.ok)
        {
            ASSERT_EQ (p.parser->configSize, 2u);
            EXPECT_EQ (p.parser->config[0], 0x12);
            EXPECT_EQ (p.parser->config[1], 0x10);
            EXPECT_EQ (p.parser->bitRate, c.bitRate);
            EXPECT_EQ (p.parser->sampleRate, 22050);
            EXPECT_EQ (p.parser->numChannels, 2);
        }
    }
}

TEST (Mp4AtomParser, ConfigLengthsBeyondTheFileAllocateNothing)
{
    // A decoder-specific descriptor that claims 256 MB in a file of a few hundred bytes.
    PlainFile f;
    f.entry = Entry::aac;
    auto data = build (f);
    const auto tag = alacfixtures::findAtom (data, "esds") + 8 + 4 + 2 + 3 + 2 + 13;
    ASSERT_EQ (data[(size_t)tag], 5);
    const juce::uint8 huge[] = {0xff, 0xff, 0xff, 0x7f};
    juce::MemoryBlock patched (data.getData(), (size_t)tag + 1);
    patched.append (huge, 4);
    patched.append (static_cast<const char*> (data.getData()) + tag + 2, data.getSize() - (size_t)tag - 2);
    // The longer length shifted what follows: fix the sizes of the atoms around it.
    for (auto name : {"moov", "trak", "mdia", "minf", "stbl", "stsd", "mp4a", "esds"})
    {
        const auto at = (size_t)alacfixtures::findAtom (patched, name);
        const auto size =
            juce::ByteOrder::bigEndianInt (static_cast<const char*> (patched.getData()) + at) + 3;

        for (int i = 0; i < 4; ++i)
            patched[at + (size_t)i] = (char)(juce::uint8) (size >> (24 - 8 * i));
    }

    const auto p = parse (patched);
    EXPECT_FALSE (p.ok);
    EXPECT_EQ (p.parser->configSize, 0u);
    EXPECT_EQ (p.parser->config.get(), nullptr);
}

TEST (Mp4AtomParser, HugeCountsAreBoundedByTheFile)
{
    // A constant-size table claiming four billion one-byte packets in one chunk: the index ends
    // where the file does.
    PlainFile f;
    f.sizes.clear();
    f.constantSize = 1;
    f.constantCount = 64;
    f.stts = {{0xffffffffu, 1}};
    f.stsc = {{1, 0xffffffffu, 1}};
    auto data = build (f);
    const auto sizeTable = (size_t)alacfixtures::findAtom (data, "stsz");

    for (int i = 0; i < 4; ++i)
        data[sizeTable + 16 + (size_t)i] = (char)0xff;

    const auto p = parse (data);
    ASSERT_TRUE (p.ok);
    EXPECT_EQ (p.parser->frames.size(), data.getSize() - dataStart);
    EXPECT_EQ (p.parser->frames.back().byteOffset + 1, (int)data.getSize());
}
} // namespace

namespace
{
//==============================================================================
// Fragmented files: "ftyp", "moov" with empty tables, an optional "sidx", then per fragment
// "moof" (one "traf": "tfhd" and the runs) and "mdat" with the runs' packets.
struct TrackRun
{
    std::vector<juce::uint32> sizes;
    bool dataOffset = true;
    juce::uint32 duration = 0; // 0 = the fragment's default, no per-sample durations
};

struct Fragment
{
    std::vector<TrackRun> runs{TrackRun{{50, 60}}};
    bool hasMdat = true;
    bool explicitBase = false;
    juce::uint32 defaultDuration = 4096;
    juce::uint32 defaultSize = 0;
    juce::uint32 runCountOverride = 0; // sample count written in the first run, when not 0
};

struct FragmentedFile
{
    std::vector<Fragment> fragments{Fragment{}, Fragment{}, Fragment{}};
    int sidxReferences = -1; // -1 = no "sidx"
    bool mdatBeforeFirstMoof = false;
};

struct BuiltFragments
{
    juce::MemoryBlock data;
    std::vector<std::array<int, 4>> frames; // where the packets really are
};

BuiltFragments build (const FragmentedFile& f)
{
    AtomBuilder b;
    BuiltFragments built;
    b.begin ("ftyp").bytes ("iso5", 4).u32 (0).end();
    b.begin ("moov").begin ("trak").begin ("mdia").begin ("minf").begin ("stbl");
    b.begin ("stsd").u32 (0).u32 (1);
    sampleEntry (b, PlainFile{});
    b.end();
    b.begin ("stts").u32 (0).u32 (0).end().begin ("stsc").u32 (0).u32 (0).end();
    b.begin ("stsz").u32 (0).u32 (0).u32 (0).end().begin ("stco").u32 (0).u32 (0).end();
    b.end().end().end().end().end();

    if (f.sidxReferences >= 0)
    {
        b.begin ("sidx").u32 (0).u32 (1).u32 (44100).u32 (0).u32 (0).u16 (0).u16 (
            (juce::uint16)f.sidxReferences);

        for (int i = 0; i < f.sidxReferences; ++i)
            b.u32 (0).u32 (10000).u32 (0x90000000u);

        b.end();
    }

    if (f.mdatBeforeFirstMoof)
        b.begin ("mdat").zeros (4).end();

    int firstSample = 0;

    for (auto& fragment : f.fragments)
    {
        const auto moofStart = b.size();
        std::vector<std::pair<size_t, juce::uint32>> dataOffsetFields; // field position, bytes before the run
        juce::uint32 runBytes = 0;
        b.begin ("moof").begin ("mfhd").u32 (0).u32 (1).end().begin ("traf");
        const juce::uint32 tfhdFlags =
            (fragment.explicitBase ? 0x01u : 0u) | 0x08u | (fragment.defaultSize != 0 ? 0x10u : 0u);
        b.begin ("tfhd").u32 (tfhdFlags).u32 (1);
        size_t baseField = 0;

        if (fragment.explicitBase)
        {
            baseField = b.size();
            b.u64 (0);
        }

        b.u32 (fragment.defaultDuration);

        if (fragment.defaultSize != 0)
            b.u32 (fragment.defaultSize);

        b.end();

        for (size_t r = 0; r < fragment.runs.size(); ++r)
        {
            auto& run = fragment.runs[r];
            const juce::uint32 flags = (run.dataOffset ? 0x001u : 0u) | (run.duration != 0 ? 0x100u : 0u) |
                                       (run.sizes.empty() ? 0u : 0x200u);
            const auto count = r == 0 && fragment.runCountOverride != 0 ? fragment.runCountOverride
                                                                        : (juce::uint32)run.sizes.size();
            b.begin ("trun").u32 (flags).u32 (count);

            if (run.dataOffset)
            {
                dataOffsetFields.push_back ({b.size(), runBytes});
                b.u32 (0);
            }

            for (auto size : run.sizes)
            {
                if (run.duration != 0)
                    b.u32 (run.duration);

                b.u32 (size);
            }

            b.end();

            for (auto size : run.sizes)
                runBytes += size;
        }

        b.end().end();
        const auto moofSize = (juce::uint32) (b.size() - moofStart);

        for (auto& field : dataOffsetFields)
            b.patchU32 (field.first, moofSize + 8 + field.second);

        if (fragment.explicitBase)
            b.patchU32 (baseField + 4, (juce::uint32)moofStart);

        if (!fragment.hasMdat)
            continue;

        b.begin ("mdat");
        juce::uint32 at = (juce::uint32)moofStart + moofSize + 8;

        for (auto& run : fragment.runs)
            for (auto size : run.sizes)
            {
                const auto duration = (int)(run.duration != 0 ? run.duration : fragment.defaultDuration);
                built.frames.push_back ({(int)at, firstSample, duration, (int)size});
                firstSample += duration;
                at += size;
                b.zeros (size);
            }

        b.end();
    }

    built.data = b.getData();
    return built;
}

TEST (Mp4AtomParser, FragmentedFiles)
{
    struct Case
    {
        const char* name;
        std::function<void (FragmentedFile&)> change;
        bool ok;
    };

    const Case cases[] = {
        {"three fragments", [] (FragmentedFile&) {}, true},
        {"three fragments and a sidx of three", [] (FragmentedFile& f) { f.sidxReferences = 3; }, true},
        {"a sidx of three over four fragments",
         [] (FragmentedFile& f)
         {
             f.sidxReferences = 3;
             f.fragments.push_back ({});
         },
         false},
        {"a fragment without mdat", [] (FragmentedFile& f) { f.fragments[1].hasMdat = false; }, false},
        {"an mdat before the first moof", [] (FragmentedFile& f) { f.mdatBeforeFirstMoof = true; }, false},
        {"a second run without a data offset follows the first",
         [] (FragmentedFile& f) {
             f.fragments[1].runs = {TrackRun{{10, 20}}, TrackRun{{30, 40, 50}, false}};
         },
         true},
        {"per-sample durations and an explicit base",
         [] (FragmentedFile& f)
         {
             f.fragments[0].runs = {TrackRun{{10, 20}, true, 1000}};
             f.fragments[2].explicitBase = true;
         },
         true},
        {"a zero duration", [] (FragmentedFile& f) { f.fragments[2].defaultDuration = 0; }, false},
        // Four billion empty packets, no per-sample fields: refused after as many packets as
        // the file has bytes, not after four billion.
        {"a run count beyond the file",
         [] (FragmentedFile& f)
         {
             f.fragments[0].runs = {TrackRun{{}}};
             f.fragments[0].runCountOverride = 0xffffffffu;
         },
         false},
        {"a run count beyond its per-sample fields",
         [] (FragmentedFile& f) { f.fragments[0].runCountOverride = 1000; }, false},
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        FragmentedFile f;
        c.change (f);
        const auto built = build (f);
        const auto p = parse (built.data);
        EXPECT_EQ (p.ok, c.ok);

        if (c.ok)
        {
            EXPECT_EQ (p.parser->fragments.size(), f.fragments.size());
            EXPECT_TRUE (framesAre (p.parser->frames, built.frames));
            const auto& last = built.frames.back();
            EXPECT_EQ (p.parser->lengthInSamples, f.sidxReferences > 0 ? 30000 : last[1] + last[2]);
            EXPECT_EQ (p.parser->sampleRate, 44100);
        }
    }
}

TEST (Mp4AtomParser, EveryTruncatedPrefixEndsCleanly)
{
    PlainFile plain;
    plain.mdatRunsToEnd = true;

    for (const auto& data : {build (PlainFile{}), build (plain), build (FragmentedFile{}).data})
    {
        for (size_t cut = 0; cut < data.getSize(); ++cut)
        {
            const juce::MemoryBlock prefix (data.getData(), cut);
            const auto p = parse (prefix);

            // Whatever is indexed lies inside what is there.
            for (auto& frame : p.parser->frames)
                ASSERT_LE ((size_t)frame.byteOffset + (size_t)frame.byteSize, cut) << cut;
        }
    }
}
} // namespace
