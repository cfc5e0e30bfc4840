#include "common/reader/AudioReaderFactory.h"
#include "common/reader/FileReader/FileReadAiff.h"
#include "common/reader/FileReader/FileReadWav.h"
#include "support/PcmFileBuilder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

using namespace glorvak::test;

namespace
{
enum class Container
{
    wav,
    aiff
};

std::unique_ptr<quelbix::FileReader> makeReader (Container container)
{
    if (container == Container::wav)
        return std::make_unique<quelbix::FileReadWav>();

    return std::make_unique<quelbix::FileReadAiff>();
}

std::vector<quelbix::StereoSample> readAll (quelbix::AbstractReader& reader, int start, int count)
{
    std::vector<quelbix::StereoSample> frames ((size_t)count, {99.0f, 99.0f});
    reader.read (start, frames.data(), count);
    return frames;
}

// The integer a reader's float came from, at the file's bit depth.
std::int64_t toInteger (float value, int bits)
{
    return (std::int64_t)std::llround ((double)value * (double)(std::int64_t (1) << (bits - 1)));
}

void expectFramesMatch (const std::vector<quelbix::StereoSample>& frames, const PcmSamples& samples,
                        int numChannels, int bits, int firstFrame = 0)
{
    for (size_t i = 0; i < frames.size(); ++i)
    {
        const size_t frame = (size_t)firstFrame + i;
        const auto left = samples[frame * (size_t)numChannels];
        const auto right = samples[frame * (size_t)numChannels + (size_t)numChannels - 1];
        ASSERT_EQ (toInteger (frames[i].left, bits), left) << "frame " << frame;
        ASSERT_EQ (toInteger (frames[i].right, bits), right) << "frame " << frame;
    }
}

struct PcmCase
{
    const char* name;
    Container container;
    PcmFormat format;
    const char* compression; // AIFC compression type, or null
};

class PcmReadsBitExact : public testing::TestWithParam<PcmCase>
{
};

TEST_P (PcmReadsBitExact, FramesEqualTheWrittenIntegersAndPropertiesMatch)
{
    const auto& param = GetParam();
    const int frameCount = 2000; // several 512-frame blocks
    const auto samples = makeTestPattern (frameCount, param.format.numChannels, param.format.bitsPerSample);
    const auto bytes = param.container == Container::wav
                           ? PcmFileBuilder::wav (param.format, samples)
                           : PcmFileBuilder::aiff (param.format, samples, param.compression);
    FixtureFolder temp;
    const auto file = temp.write (param.container == Container::wav ? "x.wav" : "x.aiff", bytes);

    auto reader = makeReader (param.container);
    ASSERT_TRUE (reader->open (file.getFullPathName()));
    EXPECT_EQ (reader->getLengthInSamples(), frameCount);
    EXPECT_EQ (reader->getSampleRate(), param.format.sampleRate);
    EXPECT_EQ (reader->getNumChannels(), param.format.numChannels);
    EXPECT_EQ (reader->getBitsPerSample(), param.format.bitsPerSample);
    EXPECT_EQ (reader->getBitRate(),
               param.format.sampleRate * param.format.numChannels * param.format.bitsPerSample);

    expectFramesMatch (readAll (*reader, 0, frameCount), samples, param.format.numChannels,
                       param.format.bitsPerSample);

    // A read from the middle, and one crossing the end: the tail then zeros.
    expectFramesMatch (readAll (*reader, 777, 300), samples, param.format.numChannels,
                       param.format.bitsPerSample, 777);
    const auto tail = readAll (*reader, frameCount - 1, 10);
    expectFramesMatch ({tail[0]}, samples, param.format.numChannels, param.format.bitsPerSample,
                       frameCount - 1);

    for (size_t i = 1; i < tail.size(); ++i)
        EXPECT_TRUE (tail[i].left == 0.0f && tail[i].right == 0.0f) << i;
}

const PcmCase pcmCases[] = {
    {"Wav16Stereo44100", Container::wav, {44100, 2, 16}, nullptr},
    {"Wav16Mono48000", Container::wav, {48000, 1, 16}, nullptr},
    {"Wav24Stereo48000", Container::wav, {48000, 2, 24}, nullptr},
    {"Wav24Mono44100", Container::wav, {44100, 1, 24}, nullptr},
    {"Aiff16Stereo44100", Container::aiff, {44100, 2, 16}, nullptr},
    {"Aiff24Mono48000", Container::aiff, {48000, 1, 24}, nullptr},
    {"AifcSowt16Stereo", Container::aiff, {44100, 2, 16}, "sowt"},
    {"AifcSowt24Mono", Container::aiff, {48000, 1, 24}, "sowt"},
    {"AifcTwos16Mono", Container::aiff, {48000, 1, 16}, "twos"},
    {"AifcIn24Stereo", Container::aiff, {44100, 2, 24}, "in24"},
    {"AifcNone16Stereo", Container::aiff, {48000, 2, 16}, "NONE"},
};

INSTANTIATE_TEST_SUITE_P (Fixtures, PcmReadsBitExact, testing::ValuesIn (pcmCases),
                          [] (const auto& info) { return std::string (info.param.name); });

TEST (PcmReaders, ExtremeValuesScaleToTheDocumentedFloats)
{
    FixtureFolder temp;
    const auto file24 = temp.write ("max.wav", PcmFileBuilder::wav ({44100, 1, 24}, {8388607, -8388608}));
    quelbix::FileReadWav reader24;
    ASSERT_TRUE (reader24.open (file24.getFullPathName()));
    const auto frames = readAll (reader24, 0, 2);
    EXPECT_EQ (frames[0].left, (float)(8388607.0 * 256.0 / 2147483648.0));
    EXPECT_LT (frames[0].left, 1.0f);
    EXPECT_EQ (frames[1].left, -1.0f);

    const auto file16 = temp.write ("min.aif", PcmFileBuilder::aiff ({48000, 2, 16}, {-32768, 32767}));
    quelbix::FileReadAiff reader16;
    ASSERT_TRUE (reader16.open (file16.getFullPathName()));
    const auto stereo = readAll (reader16, 0, 1);
    EXPECT_EQ (stereo[0].left, -1.0f);
    EXPECT_EQ (stereo[0].right, 32767.0f / 32768.0f);
}

TEST (PcmReaders, ChunkLayoutsThatAreAcceptedOrRejected)
{
    const auto samples = makeTestPattern (100, 2, 16);
    const auto pcm = packSamples (samples, 16, false);
    const auto pcmBig = packSamples (samples, 16, true);
    juce::MemoryBlock listBody ("INFOsome text", 13); // odd size

    struct Case
    {
        const char* name;
        Container container;
        juce::MemoryBlock bytes;
        bool accepted;
    };

    const Case cases[] = {
        {"wav LIST before fmt, fact between fmt and data", Container::wav,
         ChunkFileBuilder::riff()
             .chunk ("LIST", juce::MemoryBlock ("INFOabcd", 8))
             .chunk ("fmt ", wavFmtBody (1, 2, 44100, 16))
             .chunk ("fact", juce::MemoryBlock ("\x64\0\0\0", 4))
             .chunk ("data", pcm)
             .build(),
         true},
        {"wav 18-byte fmt with cbSize", Container::wav,
         ChunkFileBuilder::riff().chunk ("fmt ", wavFmtBody (1, 2, 44100, 16, 2)).chunk ("data", pcm).build(),
         true},
        {"wav data before fmt is never found", Container::wav,
         ChunkFileBuilder::riff().chunk ("data", pcm).chunk ("fmt ", wavFmtBody (1, 2, 44100, 16)).build(),
         false},
        {"wav odd chunk without pad byte skipping", Container::wav,
         ChunkFileBuilder::riff()
             .chunk ("LIST", listBody, true)
             .chunk ("fmt ", wavFmtBody (1, 2, 44100, 16))
             .chunk ("data", pcm)
             .build(),
         false},
        {"wav without data", Container::wav,
         ChunkFileBuilder::riff().chunk ("fmt ", wavFmtBody (1, 2, 44100, 16)).build(), false},
        {"wav RIFX", Container::wav, juce::MemoryBlock ("RIFX\0\0\0\0WAVE", 12), false},
        {"aiff odd chunk with its pad byte", Container::aiff,
         ChunkFileBuilder::form()
             .chunk ("NAME", juce::MemoryBlock ("abc", 3), true)
             .chunk ("COMM", aiffCommBody (2, 100, 16, 44100))
             .chunk ("SSND", aiffSsndBody (pcmBig))
             .build(),
         true},
        {"aifc unknown compression", Container::aiff,
         ChunkFileBuilder::form ("AIFC")
             .chunk ("COMM", aiffCommBody (2, 100, 16, 44100, "ima4"))
             .chunk ("SSND", aiffSsndBody (pcmBig))
             .build(),
         false},
        {"aiff empty SSND", Container::aiff,
         ChunkFileBuilder::form()
             .chunk ("COMM", aiffCommBody (2, 100, 16, 44100))
             .chunk ("SSND", juce::MemoryBlock())
             .build(),
         false},
        {"aiff other form type", Container::aiff, ChunkFileBuilder::form ("8SVX").build(), false},
    };

    FixtureFolder temp;

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const auto file = temp.write (c.container == Container::wav ? "c.wav" : "c.aif", c.bytes);
        auto reader = makeReader (c.container);
        testing::internal::CaptureStdout();
        const bool opened = reader->open (file.getFullPathName());
        testing::internal::GetCapturedStdout();
        ASSERT_EQ (opened, c.accepted);

        if (opened)
        {
            ASSERT_EQ (reader->getLengthInSamples(), 100);
            expectFramesMatch (readAll (*reader, 0, 100), samples, 2, 16);
        }
    }
}

TEST (PcmReaders, AiffSsndOffsetSkipsLeadingBytes)
{
    const auto samples = makeTestPattern (50, 1, 16);
    FixtureFolder temp;
    const auto file =
        temp.write ("offset.aiff", ChunkFileBuilder::form()
                                       .chunk ("COMM", aiffCommBody (1, 50, 16, 48000))
                                       .chunk ("SSND", aiffSsndBody (packSamples (samples, 16, true), 4))
                                       .build());
    quelbix::FileReadAiff reader;
    ASSERT_TRUE (reader.open (file.getFullPathName()));
    ASSERT_EQ (reader.getLengthInSamples(), 50);
    expectFramesMatch (readAll (reader, 0, 50), samples, 1, 16);
}

TEST (PcmReaders, TruncatedDataPlaysTheFramesPresent)
{
    const auto samples = makeTestPattern (300, 2, 24);

    for (auto container : {Container::wav, Container::aiff})
    {
        SCOPED_TRACE (container == Container::wav ? "wav" : "aiff");
        auto bytes = container == Container::wav ? PcmFileBuilder::wav ({48000, 2, 24}, samples)
                                                 : PcmFileBuilder::aiff ({48000, 2, 24}, samples);
        // Cut in the middle of frame 200: 200 whole frames remain.
        bytes.setSize (bytes.getSize() - 100 * 6 + 2);
        FixtureFolder temp;
        const auto file = temp.write ("cut.wav", bytes);
        auto reader = makeReader (container);
        ASSERT_TRUE (reader->open (file.getFullPathName()));
        EXPECT_EQ (reader->getLengthInSamples(), 200);
        const auto frames = readAll (*reader, 0, 300);
        expectFramesMatch ({frames.begin(), frames.begin() + 200}, samples, 2, 24);

        for (size_t i = 200; i < frames.size(); ++i)
            ASSERT_TRUE (frames[i].left == 0.0f && frames[i].right == 0.0f) << i;
    }
}

TEST (PcmReaders, NegativeStartReadsLeadingZeros)
{
    const auto samples = makeTestPattern (20, 2, 16);

    for (auto container : {Container::wav, Container::aiff})
    {
        SCOPED_TRACE (container == Container::wav ? "wav" : "aiff");
        FixtureFolder temp;
        const auto file = temp.write ("n.wav", container == Container::wav
                                                   ? PcmFileBuilder::wav ({44100, 2, 16}, samples)
                                                   : PcmFileBuilder::aiff ({44100, 2, 16}, samples));
        auto reader = makeReader (container);
        ASSERT_TRUE (reader->open (file.getFullPathName()));
        const auto frames = readAll (*reader, -5, 10);

        for (int i = 0; i < 5; ++i)
            ASSERT_TRUE (frames[(size_t)i].left == 0.0f && frames[(size_t)i].right == 0.0f);

        expectFramesMatch ({frames.begin() + 5, frames.end()}, samples, 2, 16);
    }
}

// Variants that the program's own readers leave to the next reader of the factory.
TEST (PcmReaders, UnsupportedVariantsFallThroughWithOneAnalyzeLine)
{
    const auto pcm16 = packSamples (makeTestPattern (10, 2, 16), 16, false);

    struct Case
    {
        const char* name;
        Container container;
        juce::MemoryBlock bytes;
    };

    auto wavWith = [&] (int tag, int channels, int rate, int bits)
    {
        return ChunkFileBuilder::riff()
            .chunk ("fmt ", wavFmtBody (tag, channels, rate, bits))
            .chunk ("data", pcm16)
            .build();
    };
    auto aiffWith = [&] (int channels, int bits, double rate)
    {
        return ChunkFileBuilder::form()
            .chunk ("COMM", aiffCommBody (channels, 10, bits, rate))
            .chunk ("SSND", aiffSsndBody (pcm16))
            .build();
    };

    const Case cases[] = {
        {"wav 22050 Hz", Container::wav, wavWith (1, 2, 22050, 16)},
        // The program's own SLOT files: their preview prints this one line, then JUCE opens them.
        {"wav 96000 Hz 24-bit", Container::wav, wavWith (1, 2, 96000, 24)},
        {"wav 8-bit", Container::wav, wavWith (1, 2, 44100, 8)},
        {"wav 32-bit", Container::wav, wavWith (1, 2, 44100, 32)},
        {"wav float", Container::wav, wavWith (3, 2, 44100, 32)},
        {"wav extensible", Container::wav, wavWith (0xfffe, 2, 44100, 16)},
        {"wav 3 channels", Container::wav, wavWith (1, 3, 44100, 16)},
        {"wav 0 channels", Container::wav, wavWith (1, 0, 44100, 16)},
        {"aiff 96000 Hz", Container::aiff, aiffWith (2, 16, 96000)},
        {"aiff 44099.9 Hz", Container::aiff, aiffWith (2, 16, 44099.9)},
        {"aiff 8-bit", Container::aiff, aiffWith (1, 8, 44100)},
        {"aiff 6 channels", Container::aiff, aiffWith (6, 16, 44100)},
    };

    FixtureFolder temp;
    quelbix::AudioReaderFactory factory;
    factory.addDefaultFactories();

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const auto file = temp.write (c.container == Container::wav ? "v.wav" : "v.aiff", c.bytes);
        testing::internal::CaptureStdout();
        const auto reader = factory.createReader (file.getFullPathName());
        const auto output = testing::internal::GetCapturedStdout();

        // Whatever reader comes next may take the file, but not the program's PCM readers.
        EXPECT_EQ (dynamic_cast<quelbix::FileReader*> (reader.get()), nullptr);

        const auto expectedStart = "ERROR : file analyze ";
        const auto expectedEnd =
            "common/reader/FileReader/FileReader.cpp:102 " + file.getFullPathName().toStdString() + "\n";
        EXPECT_EQ (std::count (output.begin(), output.end(), '\n'), 1) << output;
        EXPECT_EQ (output.rfind (expectedStart, 0), 0u) << output;
        EXPECT_TRUE (juce::String (output).endsWith (expectedEnd)) << output;
    }
}

// An SSND body whose offset field says offset while the bytes stay where they are.
juce::MemoryBlock withOffsetField (juce::MemoryBlock body, std::uint32_t offset)
{
    auto* bytes = static_cast<juce::uint8*> (body.getData());

    for (int i = 0; i < 4; ++i)
        bytes[i] = (juce::uint8) (offset >> (24 - 8 * i));

    return body;
}

// Corrupt sizes in every place the walk reads one: each file must be rejected or read without
// touching memory it does not own, and quickly.
TEST (PcmReaders, CorruptChunkSizesEndQuickly)
{
    const auto pcm = packSamples (makeTestPattern (64, 2, 16), 16, false);
    const auto pcmBig = packSamples (makeTestPattern (64, 2, 16), 16, true);
    const std::uint32_t hostileSizes[] = {0,          1,          7,          15,         16,        17,
                                          0x7fffffff, 0x80000000, 0xfffffff0, 0xfffffff8, 0xffffffff};

    std::vector<std::pair<std::string, std::pair<Container, juce::MemoryBlock>>> files;

    for (auto size : hostileSizes)
    {
        const auto tag = std::to_string (size);
        files.push_back ({"wav LIST " + tag,
                          {Container::wav, ChunkFileBuilder::riff()
                                               .chunkWithSize ("LIST", size, juce::MemoryBlock ("abcd", 4))
                                               .chunk ("fmt ", wavFmtBody (1, 2, 44100, 16))
                                               .chunk ("data", pcm)
                                               .build()}});
        files.push_back ({"wav fmt " + tag,
                          {Container::wav, ChunkFileBuilder::riff()
                                               .chunkWithSize ("fmt ", size, wavFmtBody (1, 2, 44100, 16))
                                               .chunk ("data", pcm)
                                               .build()}});
        files.push_back ({"wav data " + tag,
                          {Container::wav, ChunkFileBuilder::riff()
                                               .chunk ("fmt ", wavFmtBody (1, 2, 44100, 16))
                                               .chunkWithSize ("data", size, pcm)
                                               .build()}});
        files.push_back ({"aiff NAME " + tag,
                          {Container::aiff, ChunkFileBuilder::form()
                                                .chunkWithSize ("NAME", size, juce::MemoryBlock ("abcd", 4))
                                                .chunk ("COMM", aiffCommBody (2, 64, 16, 44100))
                                                .chunk ("SSND", aiffSsndBody (pcmBig))
                                                .build()}});
        files.push_back (
            {"aifc COMM " + tag,
             {Container::aiff, ChunkFileBuilder::form ("AIFC")
                                   .chunkWithSize ("COMM", size, aiffCommBody (2, 64, 16, 44100, "sowt"))
                                   .chunk ("SSND", aiffSsndBody (pcm))
                                   .build()}});
        files.push_back ({"aiff SSND " + tag,
                          {Container::aiff, ChunkFileBuilder::form()
                                                .chunk ("COMM", aiffCommBody (2, 64, 16, 44100))
                                                .chunkWithSize ("SSND", size, aiffSsndBody (pcmBig))
                                                .build()}});
        files.push_back ({"aiff SSND offset " + tag,
                          {Container::aiff, ChunkFileBuilder::form()
                                                .chunk ("COMM", aiffCommBody (2, 64, 16, 44100))
                                                .chunk ("SSND", withOffsetField (aiffSsndBody (pcmBig), size))
                                                .build()}});
    }

    // A file of zeros after the header walks byte by byte through the AIFF padding rule.
    files.push_back (
        {"aiff zeros",
         {Container::aiff, ChunkFileBuilder::form().raw (juce::MemoryBlock (300000, true)).build()}});

    FixtureFolder temp;
    for (const auto& [name, entry] : files)
    {
        SCOPED_TRACE (name);
        const auto file = temp.write ("corrupt.bin", entry.second);
        auto reader = makeReader (entry.first);
        testing::internal::CaptureStdout();
        const bool opened = reader->open (file.getFullPathName());
        testing::internal::GetCapturedStdout();

        if (opened)
        {
            EXPECT_LE ((juce::int64)reader->getLengthInSamples() * 4, file.getSize());
            readAll (*reader, 0, 100);
            readAll (*reader, reader->getLengthInSamples() - 3, 100);
        }
    }
}

// Every prefix of a valid file: rejected, or read as the frames that are present.
TEST (PcmReaders, EveryTruncatedPrefixIsSafe)
{
    const auto samples = makeTestPattern (40, 2, 16);

    for (auto container : {Container::wav, Container::aiff})
    {
        const auto whole = container == Container::wav
                               ? ChunkFileBuilder::riff()
                                     .chunk ("LIST", juce::MemoryBlock ("INFOabcd", 8))
                                     .chunk ("fmt ", wavFmtBody (1, 2, 44100, 16))
                                     .chunk ("data", packSamples (samples, 16, false))
                                     .build()
                               : PcmFileBuilder::aiff ({44100, 2, 16}, samples, "sowt");
        FixtureFolder temp;

        for (size_t length = 0; length <= whole.getSize(); ++length)
        {
            SCOPED_TRACE (std::string (container == Container::wav ? "wav " : "aifc ") +
                          std::to_string (length));
            juce::MemoryBlock prefix (whole.getData(), length);
            const auto file = temp.write ("prefix.wav", prefix);
            auto reader = makeReader (container);
            testing::internal::CaptureStdout();
            const bool opened = reader->open (file.getFullPathName());
            testing::internal::GetCapturedStdout();

            if (!opened)
                continue;

            const int expectedFrames = (int)(length - (whole.getSize() - 40 * 4)) / 4;
            ASSERT_EQ (reader->getLengthInSamples(), expectedFrames);
            const auto frames = readAll (*reader, 0, 40);
            expectFramesMatch ({frames.begin(), frames.begin() + expectedFrames}, samples, 2, 16);
        }
    }
}

TEST (PcmReaders, NonAsciiFileNameOpens)
{
    const auto samples = makeTestPattern (30, 2, 16);
    FixtureFolder temp;
    const auto file = temp.write (
        juce::CharPointer_UTF8 ("\xc3\xa9t\xc3\xa9 \xe9\x9f\xb3 \xd0\xb7\xd0\xb2\xd1\x83\xd0\xba.wav"),
        PcmFileBuilder::wav ({44100, 2, 16}, samples));
    ASSERT_TRUE (file.existsAsFile());

    quelbix::AudioReaderFactory factory;
    factory.addDefaultFactories();
    auto reader = factory.createReader (file.getFullPathName());
    ASSERT_NE (reader, nullptr);
    expectFramesMatch (readAll (*reader, 0, 30), samples, 2, 16);
}
} // namespace
