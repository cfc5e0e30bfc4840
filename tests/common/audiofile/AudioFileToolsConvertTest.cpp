#include "common/audiofile/AudioFileTools.h"

#include "support/FullDiskFileStream.h"
#include "support/PcmFileBuilder.h"
#include "support/SyntheticAudioReader.h"
#include "support/ToneAnalysis.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace common::AudioFileTools;
using glorvak::test::FullDiskFileStream;
using glorvak::test::PcmFileBuilder;
using glorvak::test::PcmFormat;
using glorvak::test::SyntheticAudioReader;

namespace
{
constexpr int wavHeaderBytes = 104; // RIFF, JUNK, 16-byte "fmt ", "data" header
constexpr int bytesPerFrame = 6;

class ConvertToWavTest : public ::testing::Test
{
protected:
    juce::File folder = juce::File::createTempFile ("convert");

    void SetUp() override { ASSERT_TRUE (folder.createDirectory()); }
    void TearDown() override { folder.deleteRecursively(); }

    static std::unique_ptr<OpenedAudioFile>
    synthetic (int rate, int length, SyntheticAudioReader::Generator generator = SyntheticAudioReader::ramp())
    {
        return std::make_unique<OpenedAudioFile> (
            std::make_unique<SyntheticAudioReader> (rate, length, std::move (generator)), juce::File());
    }

    juce::File writeWav (const juce::String& name, const PcmFormat& format,
                         const glorvak::test::PcmSamples& samples)
    {
        auto file = folder.getChildFile (name);
        EXPECT_TRUE (glorvak::test::writeBytes (file, PcmFileBuilder::wav (format, samples)));
        return file;
    }

    juce::Array<juce::File> filesInFolder() const
    {
        return folder.findChildFiles (juce::File::findFiles, false, "*");
    }

    // The 24-bit stereo frames of a written WAV, read by JUCE's own reader.
    static juce::AudioBuffer<float> readBack (const juce::File& file, double expectedRate)
    {
        juce::WavAudioFormat format;
        std::unique_ptr<juce::AudioFormatReader> reader (
            format.createReaderFor (new juce::FileInputStream (file), true));
        EXPECT_NE (reader, nullptr);
        if (reader == nullptr)
            return {};

        EXPECT_EQ (reader->sampleRate, expectedRate);
        EXPECT_EQ (reader->numChannels, 2u);
        EXPECT_EQ (reader->bitsPerSample, 24u);

        juce::AudioBuffer<float> buffer (2, (int)reader->lengthInSamples);
        reader->read (&buffer, 0, buffer.getNumSamples(), 0, true, true);
        return buffer;
    }

    static juce::int64 expectedFrames (juce::int64 length, juce::int64 sourceRate, juce::int64 targetRate)
    {
        // length × target ÷ source, rounded half up, in exact integers.
        return (2 * length * targetRate + sourceRate) / (2 * sourceRate);
    }
};

// Runs in a death-test child: converts a second of audio with the process limited to maxBytes per
// file, and exits with 0 when that was reported as a write error and left no file.
[[noreturn]] void convertUnderFileSizeLimit (const juce::File& target, rlim_t maxBytes)
{
    std::signal (SIGXFSZ, SIG_IGN);
    const rlimit limit{maxBytes, maxBytes};
    setrlimit (RLIMIT_FSIZE, &limit);

    OpenedAudioFile opened (
        std::make_unique<SyntheticAudioReader> (96000, 96000, SyntheticAudioReader::ramp()), {});
    const auto result = convertToWav (&opened, target, 96000.0, nullptr);
    std::_Exit (result == "write error" && !target.exists() ? 0 : 1);
}

std::vector<juce::uint8> littleEndian32 (juce::uint32 value)
{
    return {(juce::uint8)value, (juce::uint8) (value >> 8), (juce::uint8) (value >> 16),
            (juce::uint8) (value >> 24)};
}

std::vector<juce::uint8> expectedHeader (juce::uint32 rate, juce::uint32 frames)
{
    const auto dataBytes = frames * bytesPerFrame;
    std::vector<juce::uint8> h;
    auto add = [&h] (std::vector<juce::uint8> bytes) { h.insert (h.end(), bytes.begin(), bytes.end()); };
    auto text = [&add] (const char* s) {
        add ({(juce::uint8)s[0], (juce::uint8)s[1], (juce::uint8)s[2], (juce::uint8)s[3]});
    };

    text ("RIFF");
    add (littleEndian32 (wavHeaderBytes - 8 + dataBytes));
    text ("WAVE");
    text ("JUNK"); // room for an RF64 header, should the file grow past 4 GB
    add (littleEndian32 (52));
    add (std::vector<juce::uint8> (52, 0));
    text ("fmt ");
    add (littleEndian32 (16));
    add ({1, 0, 2, 0}); // integer PCM, 2 channels
    add (littleEndian32 (rate));
    add (littleEndian32 (rate * bytesPerFrame)); // bytes per second
    add ({6, 0, 24, 0});                         // block align, bits per sample
    text ("data");
    add (littleEndian32 (dataBytes));
    return h;
}
} // namespace

TEST_F (ConvertToWavTest, WritesTheExactHeaderAndKeepsEverySampleWhenTheRatesAgree)
{
    const int frames = 1001; // odd, so nothing lines up by accident
    const auto samples = glorvak::test::makeTestPattern (frames, 2, 16);
    auto source = writeWav ("source.wav", {48000, 2, 16}, samples);

    AudioFileInfo info;
    auto opened = openAudioFile (source, &info);
    ASSERT_NE (opened, nullptr);

    auto target = folder.getChildFile ("out.wav");
    WavFileInfo written;
    ASSERT_EQ (convertToWav (opened.get(), target, 48000.0, &written), "");

    EXPECT_EQ (written.sampleRate, 48000.0);
    EXPECT_EQ (written.numChannels, 2);
    EXPECT_EQ (written.bitsPerSample, 24);
    EXPECT_EQ (written.lengthInSamples, frames);

    juce::MemoryBlock bytes;
    ASSERT_TRUE (target.loadFileAsData (bytes));
    ASSERT_EQ (bytes.getSize(), (size_t)(wavHeaderBytes + frames * bytesPerFrame));

    const auto header = expectedHeader (48000, frames);
    const auto* data = static_cast<const juce::uint8*> (bytes.getData());
    EXPECT_EQ (std::vector<juce::uint8> (data, data + wavHeaderBytes), header);

    // Each 16-bit sample lands in the top bytes of its 24-bit sample; JUCE scales full-scale
    // positive values by 2^31 - 1, which may cost the lowest of the 24 bits.
    for (int i = 0; i < frames * 2; ++i)
    {
        const auto* p = data + wavHeaderBytes + 3 * i;
        const auto value =
            (int)(((juce::uint32)p[0] << 8) | ((juce::uint32)p[1] << 16) | ((juce::uint32)p[2] << 24)) >> 8;
        ASSERT_NEAR (value, samples[(size_t)i] * 256, 1) << "sample " << i;
    }
}

TEST_F (ConvertToWavTest, ConvertsEveryCommonRateToTheRoundedNumberOfFrames)
{
    struct Case
    {
        int rate;
        int length;
        bool realFile; // through the program's WAV reader rather than computed audio
    };

    const Case cases[] = {
        {44100, 8820 + 7, true},     {48000, 9600 + 13, true},   {22050, 22050 + 5, false},
        {8000, 8000 * 3 + 1, false}, {96000, 96000 + 3, false},  {11025, 11025 + 4, false},
        {12000, 12000 + 9, false},   {192000, 19200 + 1, false},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.rate);

        std::unique_ptr<OpenedAudioFile> opened;
        if (c.realFile)
            opened = openAudioFile (writeWav ("source" + juce::String (c.rate) + ".wav", {c.rate, 2, 16},
                                              glorvak::test::makeTestPattern (c.length, 2, 16)),
                                    nullptr);
        else
            opened = synthetic (c.rate, c.length);

        ASSERT_NE (opened, nullptr);

        auto target = folder.getChildFile ("out" + juce::String (c.rate) + ".wav");
        WavFileInfo written;
        ASSERT_EQ (convertToWav (opened.get(), target, 96000.0, &written), "");

        const auto frames = expectedFrames (c.length, c.rate, 96000);
        EXPECT_EQ (written.lengthInSamples, frames);
        EXPECT_EQ (target.getSize(), wavHeaderBytes + frames * bytesPerFrame);
        EXPECT_EQ (readBack (target, 96000.0).getNumSamples(), frames);
    }
}

TEST_F (ConvertToWavTest, LowRateSourcesAreReadInBlocksLargerThanAnnouncedWithoutOverrun)
{
    // The resampler asks its input for more than it announced when the ratio is small; under the
    // address sanitizer an overrun of the frame buffer would end the test here.
    for (int rate : {8000, 11025, 12000})
    {
        SCOPED_TRACE (rate);
        auto reader = std::make_unique<SyntheticAudioReader> (rate, rate * 4, SyntheticAudioReader::ramp());
        auto* observed = reader.get();
        OpenedAudioFile opened (std::move (reader), {});

        ASSERT_EQ (convertToWav (&opened, folder.getChildFile ("low.wav"), 96000.0, nullptr), "");
        EXPECT_GT (observed->largestRead, (int)std::lround (8208.0 * rate / 96000.0));
    }
}

TEST_F (ConvertToWavTest, A96000HzSourceIsCopiedWithoutResampling)
{
    const int frames = 20000;
    auto reader = std::make_unique<SyntheticAudioReader> (96000, frames, SyntheticAudioReader::ramp());
    auto* observed = reader.get();
    OpenedAudioFile opened (std::move (reader), {});
    auto target = folder.getChildFile ("same.wav");
    ASSERT_EQ (convertToWav (&opened, target, 96000.0, nullptr), "");

    // Read once, block by block: a resampler would ask for a few frames more each time.
    EXPECT_EQ (observed->largestRead, 8192);
    EXPECT_EQ (observed->readCalls, 3);

    const auto buffer = readBack (target, 96000.0);
    ASSERT_EQ (buffer.getNumSamples(), frames);

    // Any interpolation or filtering would smear these steps; only a plain copy keeps them.
    const auto ramp = SyntheticAudioReader::ramp();
    for (int i = 0; i < frames; ++i)
    {
        const auto expected = ramp (i);
        ASSERT_NEAR (buffer.getSample (0, i), expected.left, 1.0 / (1 << 23)) << "frame " << i;
        ASSERT_NEAR (buffer.getSample (1, i), expected.right, 1.0 / (1 << 23)) << "frame " << i;
    }
}

TEST_F (ConvertToWavTest, AOneKilohertzSineKeepsItsLevelAndPitch)
{
    const float amplitude = 0.5f;

    for (int rate : {44100, 48000, 22050})
    {
        SCOPED_TRACE (rate);
        auto opened = synthetic (rate, rate, SyntheticAudioReader::sine (1000.0, rate, amplitude));
        auto target = folder.getChildFile ("sine.wav");
        ASSERT_EQ (convertToWav (opened.get(), target, 96000.0, nullptr), "");

        const auto buffer = readBack (target, 96000.0);
        ASSERT_EQ (buffer.getNumSamples(), 96000);

        // Away from the edges, where the resampler settles.
        const int start = 9600, count = 76800; // 0.8 s, a whole number of periods
        const auto rms = buffer.getRMSLevel (0, start, count);
        const auto expectedRms = amplitude / std::sqrt (2.0f);
        EXPECT_NEAR (juce::Decibels::gainToDecibels (rms / expectedRms), 0.0f, 0.1f);
        EXPECT_NEAR (buffer.getRMSLevel (1, start, count), rms, 1.0e-6f);

        int upwardCrossings = 0;
        for (int i = start + 1; i < start + count; ++i)
            if (buffer.getSample (0, i - 1) < 0.0f && buffer.getSample (0, i) >= 0.0f)
                ++upwardCrossings;

        EXPECT_NEAR (upwardCrossings, 800, 1);
    }
}

TEST_F (ConvertToWavTest, ReportsEachFailureWithItsWordAndWritesNothing)
{
    auto target = folder.getChildFile ("out.wav");
    auto good = synthetic (44100, 1000);

    EXPECT_EQ (convertToWav (nullptr, target, 96000.0, nullptr), "invalid parameters");
    EXPECT_EQ (convertToWav (good.get(), target, 0.0, nullptr), "invalid parameters");
    EXPECT_EQ (convertToWav (good.get(), target, -96000.0, nullptr), "invalid parameters");
    EXPECT_EQ (convertToWav (good.get(), target, std::nan (""), nullptr), "invalid parameters");

    // The rate is checked before the length.
    EXPECT_EQ (convertToWav (synthetic (0, 1000).get(), target, 96000.0, nullptr), "invalid samplerate");
    EXPECT_EQ (convertToWav (synthetic (0, 0).get(), target, 96000.0, nullptr), "invalid samplerate");
    EXPECT_EQ (convertToWav (synthetic (44100, 0).get(), target, 96000.0, nullptr), "length is zero");
    // Less than half a frame at the target rate converts to no frames at all.
    EXPECT_EQ (convertToWav (synthetic (384000, 1).get(), target, 96000.0, nullptr), "length is zero");

    EXPECT_EQ (convertToWav (good.get(), folder.getChildFile ("missing/out.wav"), 96000.0, nullptr),
               "creating writer");

    WavFileInfo untouched{1.0, 1, 1, 1};
    EXPECT_EQ (convertToWav (synthetic (44100, 0).get(), target, 96000.0, &untouched), "length is zero");
    EXPECT_EQ (untouched.lengthInSamples, 1);

    EXPECT_TRUE (filesInFolder().isEmpty());
}

TEST_F (ConvertToWavTest, NeverWritesOverTheFileItReads)
{
    const auto samples = glorvak::test::makeTestPattern (500, 2, 16);
    auto source = writeWav ("source.wav", {44100, 2, 16}, samples);
    const auto before = source.loadFileAsString();

    auto opened = openAudioFile (source, nullptr);
    ASSERT_NE (opened, nullptr);
    EXPECT_EQ (convertToWav (opened.get(), source, 96000.0, nullptr), "invalid parameters");
    EXPECT_EQ (source.loadFileAsString(), before);
}

TEST_F (ConvertToWavTest, AShortWriteIsAFailureAndLeavesNoFile)
{
    const int frames = 30000;
    const juce::int64 fullSize = wavHeaderBytes + (juce::int64)frames * bytesPerFrame;

    for (auto mode : {FullDiskFileStream::Mode::refuse, FullDiskFileStream::Mode::dropSilently})
    {
        for (juce::int64 limit : {(juce::int64)0, (juce::int64)50, fullSize / 2, fullSize - 1})
        {
            SCOPED_TRACE (juce::String (mode == FullDiskFileStream::Mode::refuse ? "refuse " : "silent ") +
                          juce::String (limit));
            auto target = folder.getChildFile ("out.wav");
            WavFileInfo written;
            EXPECT_EQ (convertToWav (synthetic (96000, frames).get(), target, 96000.0, &written,
                                     FullDiskFileStream::opener (limit, mode)),
                       "write error");
            EXPECT_EQ (written.lengthInSamples, 0);
            EXPECT_TRUE (filesInFolder().isEmpty()) << filesInFolder()[0].getFullPathName();
        }
    }

    // The same stream with room to spare writes the whole file.
    auto target = folder.getChildFile ("out.wav");
    EXPECT_EQ (convertToWav (synthetic (96000, frames).get(), target, 96000.0, nullptr,
                             FullDiskFileStream::opener (fullSize, FullDiskFileStream::Mode::dropSilently)),
               "");
    EXPECT_EQ (target.getSize(), fullSize);
}

TEST_F (ConvertToWavTest, AFailedConversionLeavesAnExistingDestinationAsItWas)
{
    auto target = folder.getChildFile ("out.wav");
    ASSERT_TRUE (target.replaceWithText ("the earlier file"));

    EXPECT_EQ (convertToWav (synthetic (96000, 10000).get(), target, 96000.0, nullptr,
                             FullDiskFileStream::opener (1000, FullDiskFileStream::Mode::refuse)),
               "write error");
    EXPECT_EQ (target.loadFileAsString(), "the earlier file");
}

TEST_F (ConvertToWavTest, AFileSizeLimitOfTheProcessIsReportedAsAWriteError)
{
    // A real short write: the kernel refuses bytes past RLIMIT_FSIZE, in a child process so that
    // the limit binds nothing else.
    auto target = folder.getChildFile ("limited.wav");

    EXPECT_EXIT (convertUnderFileSizeLimit (target, 100000), ::testing::ExitedWithCode (0), "");
    EXPECT_FALSE (target.exists());
}

TEST_F (ConvertToWavTest, OpenAudioFileDescribesTheFileFromItsReader)
{
    auto source = writeWav ("stereo.wav", {44100, 2, 16}, glorvak::test::makeTestPattern (4410, 2, 16));

    AudioFileInfo info;
    auto opened = openAudioFile (source, &info);
    ASSERT_NE (opened, nullptr);
    EXPECT_EQ (info.sampleRate, 44100.0);
    EXPECT_EQ (info.numChannels, 2);
    EXPECT_EQ (info.bitsPerSample, 16);
    EXPECT_EQ (info.bitRate, 44100 * 2 * 16);
    EXPECT_EQ (info.lengthInSamples, 4410);
    EXPECT_EQ (info.readerTypeName, "quelbix::FileReadWav");

    AudioFileInfo untouched;
    untouched.lengthInSamples = 77;
    EXPECT_EQ (openAudioFile (folder.getChildFile ("missing.wav"), &untouched), nullptr);
    EXPECT_EQ (untouched.lengthInSamples, 77);

    auto text = folder.getChildFile ("notes.xyz");
    ASSERT_TRUE (text.replaceWithText ("no audio"));
    EXPECT_EQ (createReader (text), nullptr);
    EXPECT_EQ (createPositionableAudioSource (text), nullptr);
}

TEST_F (ConvertToWavTest, TheRateChangeKeepsTheTrebleAndTheShapeOfTheSignal)
{
    using namespace glorvak::test;

    // 44100 -> 96000 Hz, the most common conversion. An ideal rate change keeps every tone below
    // 20 kHz at its level and in its place; measured away from both ends, where filters settle.
    static constexpr int sourceRate = 44100;
    const int start = 9600, count = 96000 - 2 * 9600;

    auto convert = [&] (const IdealSignal& ideal)
    {
        auto opened = synthetic (sourceRate, sourceRate,
                                 [ideal] (int frame)
                                 {
                                     const auto v = (float)ideal (frame / (double)sourceRate);
                                     return quelbix::StereoSample{v, v};
                                 });
        const auto target = folder.getChildFile ("tone.wav");
        EXPECT_EQ (convertToWav (opened.get(), target, 96000.0, nullptr), "");
        return readBack (target, 96000.0);
    };

    struct Tone
    {
        double frequency, minimumDb;
    };

    // JUCE's interpolating resampler gave -1.6 dB at 10 kHz and -4.0 dB at 15 kHz.
    for (auto tone : {Tone{1000.0, -0.1}, Tone{10000.0, -0.5}, Tone{15000.0, -0.5}})
    {
        SCOPED_TRACE (tone.frequency);
        const auto buffer = convert (sineSignal (tone.frequency, 0.5));
        ASSERT_EQ (buffer.getNumSamples(), 96000);
        const auto gain =
            amplitudeAt (buffer.getReadPointer (0), start, count, tone.frequency, 96000.0) / 0.5;
        EXPECT_GE (juce::Decibels::gainToDecibels (gain), tone.minimumDb);
        EXPECT_LE (juce::Decibels::gainToDecibels (gain), 0.1);
    }

    // Level alone misses a delay or images: the whole signal is compared with the ideal one.
    // (JUCE's resampler reached 25.6 dB here, lagging by most of a sample.)
    const auto sine = convert (sineSignal (1000.0, 0.5));
    EXPECT_GT (signalToErrorDb (sine.getReadPointer (0), start, count, sineSignal (1000.0, 0.5), 96000.0),
               90.0);
    EXPECT_GT (signalToErrorDb (sine.getReadPointer (1), start, count, sineSignal (1000.0, 0.5), 96000.0),
               90.0);

    const auto noise = convert (bandLimitedNoise (18000.0, 0.2));
    EXPECT_GT (
        signalToErrorDb (noise.getReadPointer (0), start, count, bandLimitedNoise (18000.0, 0.2), 96000.0),
        60.0);
}

namespace
{
// Counts the flushes that reach the disk: JUCE's file stream syncs the file on every flush.
class FlushCountingStream : public juce::FileOutputStream
{
public:
    FlushCountingStream (const juce::File& file, std::shared_ptr<std::atomic<int>> counter)
        : juce::FileOutputStream (file, 16384)
        , flushes (std::move (counter))
    {
    }

    void flush() override
    {
        ++*flushes;
        juce::FileOutputStream::flush();
    }

private:
    std::shared_ptr<std::atomic<int>> flushes;
};
} // namespace

TEST_F (ConvertToWavTest, TheFinishedFileIsSyncedOnceAndTheEmptyOneNever)
{
    auto flushes = std::make_shared<std::atomic<int>> (0);
    int flushesAtOpen = -1;
    const OutputStreamOpener opener = [&] (const juce::File& file)
    { return std::make_unique<FlushCountingStream> (file, flushes); };

    // The count when the first audio is read: whatever was synced before is the empty file.
    auto opened = synthetic (44100, 44100 * 5,
                             [&] (int frame)
                             {
                                 if (frame == 0)
                                     flushesAtOpen = flushes->load();
                                 return quelbix::StereoSample{0.1f, -0.1f};
                             });

    const auto target = folder.getChildFile ("synced.wav");
    ASSERT_EQ (convertToWav (opened.get(), target, 96000.0, nullptr, opener), "");
    EXPECT_EQ (flushesAtOpen, 0);
    EXPECT_EQ (flushes->load(), 1);
    EXPECT_EQ (target.getSize(), wavHeaderBytes + (juce::int64)96000 * 5 * bytesPerFrame);
}
