#include "common/reader/JuceAudioReaderWrapper.h"
#include "support/AacFixtures.h"
#include "support/PcmFileBuilder.h"
#include "support/ReaderSweep.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace
{
using quelbix::JuceAudioReaderWrapper;

TEST (JuceAudioReaderWrapper, KnowsJucesBasicFormatsAndThePlatformDecoders)
{
    JuceAudioReaderWrapper wrapper;

    for (auto path : {"a.wav", "b.AIFF", "c.aif", "d.flac", "e.m4a", "f.MP4", "g.aac", "h.mp2", "i.mp3"})
        EXPECT_TRUE (wrapper.canRead (path)) << path;

    for (auto path : {"a.ogg", "b.txt", "wav", ""})
        EXPECT_FALSE (wrapper.canRead (path)) << path;

    // The order of the formats decides: ".mp3" and the Windows Media extensions go to the stand-in
    // of JUCE's Windows Media format, the rest of the platform decoder's to the platform decoder.
    const std::pair<const char*, const char*> formats[] = {
        {"x.wav", "WAV file"},         {"x.bwf", "WAV file"},         {"x.aif", "AIFF file"},
        {"x.flac", "FLAC file"},       {"x.mp3", "Windows Media"},    {"x.wmv", "Windows Media"},
        {"x.asf", "Windows Media"},    {"x.wm", "Windows Media"},     {"x.WMA", "Windows Media"},
        {"x.mp2", "Windows Media QM"}, {"x.mp4", "Windows Media QM"}, {"x.m4a", "Windows Media QM"},
        {"x.aac", "Windows Media QM"},
    };

    for (const auto& [path, name] : formats)
    {
        ASSERT_NE (wrapper.findFormatFor (path), nullptr) << path;
        EXPECT_EQ (wrapper.findFormatFor (path)->getFormatName(), name) << path;
    }
}

TEST (JuceAudioReaderWrapper, OpensWhatTheProgramsOwnReadersLeave)
{
    // A 32-bit float WAV at 11025 Hz, three channels.
    auto wav = aacfixtures::makeTempFile ("float.wav");
    {
        juce::WavAudioFormat format;
        std::unique_ptr<juce::AudioFormatWriter> writer (
            format.createWriterFor (wav.createOutputStream().release(), 11025, 3, 32, {}, 0));
        ASSERT_NE (writer, nullptr);
        juce::AudioBuffer<float> buffer (3, 5000);
        for (int c = 0; c < 3; ++c)
            for (int i = 0; i < 5000; ++i)
                buffer.setSample (c, i, 0.1f * (float)(c + 1));
        writer->writeFromAudioSampleBuffer (buffer, 0, 5000);
    }

    JuceAudioReaderWrapper reader;
    ASSERT_TRUE (reader.open (wav.getFullPathName()));
    EXPECT_EQ (reader.getSampleRate(), 11025);
    EXPECT_EQ (reader.getNumChannels(), 3);
    EXPECT_EQ (reader.getLengthInSamples(), 5000);
    EXPECT_EQ (reader.getBitRate(), 3 * 32 * 11025);
    quelbix::StereoSample frames[4];
    reader.read (4998, frames, 4);
    EXPECT_FLOAT_EQ (frames[0].left, 0.1f);
    EXPECT_FLOAT_EQ (frames[0].right, 0.2f); // JUCE's second channel
    EXPECT_EQ (frames[3].left, 0.0f);

    reader.close();
    EXPECT_EQ (reader.getSampleRate(), 0);
    reader.read (0, frames, 4);
    EXPECT_EQ (frames[0].left, 0.0f);
}

TEST (JuceAudioReaderWrapper, MonoM4aGoesThroughThePlatformDecoder)
{
    aacfixtures::AacOptions options;
    options.numChannels = 1;
    auto file = aacfixtures::makeTempFile ("mono.m4a");
    ASSERT_TRUE (aacfixtures::writeAacFile (file, options));

    JuceAudioReaderWrapper reader;
    ASSERT_TRUE (reader.open (file.getFullPathName()));
    EXPECT_EQ (reader.getSampleRate(), 44100);
    EXPECT_EQ (reader.getBitsPerSample(), 16);
    std::vector<quelbix::StereoSample> block (2000);
    reader.read (10000, block.data(), 2000);
    float peak = 0;
    for (auto s : block)
    {
        EXPECT_EQ (s.left, s.right);
        peak = juce::jmax (peak, std::abs (s.left));
    }
    EXPECT_GT (peak, 0.2f);
}

TEST (JuceAudioReaderWrapper, RefusesMissingAndUnknownFiles)
{
    JuceAudioReaderWrapper reader;
    EXPECT_FALSE (reader.open ("/nonexistent/folder/file.wav"));

    auto text = aacfixtures::makeTempFile ("notes.txt");
    text.replaceWithText ("not audio");
    EXPECT_FALSE (reader.open (text.getFullPathName()));

    auto fake = aacfixtures::makeTempFile ("fake.m4a");
    fake.replaceWithText ("not audio either");
    EXPECT_FALSE (reader.open (fake.getFullPathName()));
    EXPECT_EQ (reader.getLengthInSamples(), 0);

    quelbix::JuceAudioReaderFactory factory;
    EXPECT_EQ (factory.createReader (text.getFullPathName()), nullptr);
    EXPECT_NE (factory.createReader (fake.getFullPathName()), nullptr);
}

TEST (JuceAudioReaderWrapper, ADecoderFailingMidwayReadsAsSilenceNotAsRawIntegers)
{
    // Damaged ADTS that the platform decoder opens but stops decoding part of the way through.
    const auto file =
        juce::File (glorvak::test::dataFolder()).getChildFile ("reader/platform-decode-fails-midway.aac");
    JuceAudioReaderWrapper reader;
    ASSERT_TRUE (reader.open (file.getFullPathName()));
    EXPECT_TRUE (glorvak::test::readsOnlyValidFrames (reader, {{15832, 1585}}));
}

TEST (JuceAudioReaderWrapper, ABitRateBeyondAnIntIsHeldToItsRange)
{
    using namespace glorvak::test;

    // Eight 16-bit channels at 100 MHz: 12.8 Gbit/s.
    auto wav = aacfixtures::makeTempFile ("wide.wav");
    writeBytes (wav, ChunkFileBuilder::riff()
                         .chunk ("fmt ", wavFmtBody (1, 8, 100000000, 16))
                         .chunk ("data", packSamples (makeTestPattern (100, 8, 16), 16, false))
                         .build());

    JuceAudioReaderWrapper reader;
    ASSERT_TRUE (reader.open (wav.getFullPathName()));
    EXPECT_EQ (reader.getSampleRate(), 100000000);
    EXPECT_EQ (reader.getBitRate(), std::numeric_limits<int>::max());
}

TEST (JuceAudioReaderWrapper, RefusesHeadersThatJucesReadersWouldMisread)
{
    using namespace glorvak::test;

    struct Case
    {
        const char* name;
        juce::MemoryBlock file;
    };

    const auto aiff = [] (int channels, std::uint32_t frames, int bits)
    {
        return ChunkFileBuilder::form()
            .chunk ("COMM", aiffCommBody (channels, frames, bits, 44100.0))
            .chunk ("SSND", aiffSsndBody (juce::MemoryBlock (4096, true)))
            .build();
    };

    const Case cases[] = {
        // JUCE takes the 16-bit field as signed: a negative count, reads before its channels.
        {"0x8001 channels.wav", ChunkFileBuilder::riff()
                                    .chunk ("fmt ", wavFmtBody (1, 0x8001, 48000, 8))
                                    .chunk ("data", juce::MemoryBlock (0x8001 * 4, true))
                                    .build()},
        // A negative length: reads clear far past the destination.
        {"2^31 frames.aiff", aiff (2, 0x80000000u, 24)},
        // Frames wider than the reader's block: reading never advances.
        {"2000 channels.aiff", aiff (2000, 10, 24)},
        {"24576 bits.aiff", aiff (2, 10, 24576)},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        auto file = aacfixtures::makeTempFile (c.name);
        writeBytes (file, c.file);
        JuceAudioReaderWrapper reader;

        if (reader.open (file.getFullPathName()))
        {
            ADD_FAILURE() << "opened with " << reader.getNumChannels() << " channels of "
                          << reader.getBitsPerSample() << " bits";
            std::vector<quelbix::StereoSample> frames (4);
            reader.read (0, frames.data(), 4);
        }
    }
}
} // namespace
