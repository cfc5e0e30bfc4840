#include "common/reader/qm/JuceWindowsMediaAudioFormat.h"
#include "common/audiofile/AudioFileTools.h"
#include "common/reader/JuceAudioReaderWrapper.h"
#include "support/EncodedAudioFixtures.h"

#include <gtest/gtest.h>

namespace
{
using namespace common::AudioFileTools;

// Files that none of the program's own readers takes: MP3 in MPEG-2.5 (phones and old samplers
// write them), MPEG Layer II and Windows Media Audio. Each must open through the last-resort
// reader, read as FFmpeg's own decoder reads it, and convert.
struct EncodedCase
{
    const char* name;    // the file's name; its extension picks the format
    const char* encoder; // libavcodec's encoder
    const char* muxer;   // libavformat's muxer, or null for bare MPEG audio frames
    int sampleRate;
    int channels;
    int bitRate;
    const char* formatName;     // the format of the last-resort reader that takes the file
    bool ownReaderRefusesFirst; // the program's MP3 reader tries it first and says so
};

const EncodedCase encodedCases[] = {
    {"mpeg25-11025.mp3", "libmp3lame", nullptr, 11025, 2, 32000, "Windows Media", true},
    {"mpeg25-8000.mp3", "libmp3lame", nullptr, 8000, 1, 16000, "Windows Media", true},
    {"mpeg25-12000.mp3", "libmp3lame", nullptr, 12000, 2, 32000, "Windows Media", true},
    {"layer2.mp2", "mp2", nullptr, 44100, 2, 192000, "Windows Media QM", false},
    {"wmav1.wma", "wmav1", "asf", 44100, 2, 128000, "Windows Media", false},
    {"wmav2.wma", "wmav2", "asf", 48000, 2, 128000, "Windows Media", false},
    {"wmav2-mono.asf", "wmav2", "asf", 22050, 1, 48000, "Windows Media", false},
};

constexpr int secondsOfAudio = 3;

juce::File makeFixture (const EncodedCase& c)
{
    const auto pcm = testfixtures::makeTestPcm (c.channels, c.sampleRate * secondsOfAudio, 16);
    const auto data = c.muxer != nullptr
                          ? testfixtures::encodeInContainer (c.encoder, c.muxer, pcm, c.sampleRate, c.bitRate)
                          : testfixtures::encodeMpegAudio (c.encoder, pcm, c.sampleRate, c.bitRate);
    return data.getSize() > 0 ? testfixtures::writeTempFile (c.name, data) : juce::File();
}

juce::StringArray linesOf (const std::string& text)
{
    juce::StringArray lines;
    lines.addLines (juce::String (text).trim());
    lines.removeEmptyStrings();
    return lines;
}

class WindowsMediaRows : public testing::TestWithParam<EncodedCase>
{
};

TEST_P (WindowsMediaRows, OpenReadAsFFmpegDecodesAndConvert)
{
    const auto& c = GetParam();
    const auto file = makeFixture (c);
    ASSERT_TRUE (file.existsAsFile()) << "the " << c.encoder << " encoder made no file";

    quelbix::JuceAudioReaderWrapper probe;
    ASSERT_NE (probe.findFormatFor (file.getFullPathName()), nullptr);
    EXPECT_EQ (probe.findFormatFor (file.getFullPathName())->getFormatName(), c.formatName);

    // Opened the way a dropped file is: the program's own readers first, then the last resort.
    AudioFileInfo info;
    testing::internal::CaptureStdout();
    auto opened = openAudioFile (file, &info);
    const auto printed = linesOf (testing::internal::GetCapturedStdout());
    ASSERT_NE (opened, nullptr);
    EXPECT_EQ (info.readerTypeName, "quelbix::JuceAudioReaderWrapper");
    EXPECT_EQ (info.sampleRate, (double)c.sampleRate);
    EXPECT_EQ (info.numChannels, c.channels);
    EXPECT_EQ (info.bitsPerSample, 16);

    if (c.ownReaderRefusesFirst)
    {
        ASSERT_EQ (printed.size(), 1) << printed.joinIntoString ("\n");
        EXPECT_TRUE (printed[0].startsWith ("ERROR : file analyze ")) << printed[0];
        EXPECT_TRUE (printed[0].endsWith (file.getFullPathName())) << printed[0];
    }
    else
    {
        EXPECT_TRUE (printed.isEmpty()) << printed.joinIntoString ("\n");
    }

    // Within 16-bit rounding of what FFmpeg decodes on its own, sample for sample.
    const auto reference = testfixtures::decodeWithLibav (file);
    ASSERT_EQ (reference.sampleRate, c.sampleRate);
    ASSERT_EQ ((int)reference.channels.size(), c.channels);
    const auto referenceLength = (juce::int64)reference.channels[0].size();
    EXPECT_NEAR ((double)info.lengthInSamples, (double)referenceLength, c.sampleRate * 0.05);

    auto& reader = opened->getReader();
    const auto compared = (int)juce::jmin (info.lengthInSamples, referenceLength);
    std::vector<quelbix::StereoSample> frames ((size_t)compared);
    reader.read (0, frames.data(), compared);

    double worst = 0.0, energy = 0.0;
    for (int i = 0; i < compared; ++i)
    {
        const auto left = reference.channels[0][(size_t)i];
        const auto right = reference.channels[(size_t)(c.channels - 1)][(size_t)i];
        worst = juce::jmax (worst, (double)std::abs (frames[(size_t)i].left - left),
                            (double)std::abs (frames[(size_t)i].right - right));
        energy += (double)left * left;
    }

    EXPECT_LE (worst, 1.0 / 32768.0 + 1e-6);
    EXPECT_GT (std::sqrt (energy / juce::jmax (1, compared)), 0.1) << "the decoded signal is not silence";

    // And it converts into the program's WAV, at the length the rate change gives.
    const auto wav = file.getSiblingFile (file.getFileNameWithoutExtension() + "-converted.wav");
    WavFileInfo written;
    ASSERT_EQ (convertToWav (opened.get(), wav, 96000.0, &written), "");
    EXPECT_EQ (written.lengthInSamples,
               (juce::int64) ((double)info.lengthInSamples * 96000.0 / c.sampleRate + 0.5));

    juce::WavAudioFormat format;
    std::unique_ptr<juce::AudioFormatReader> check (
        format.createReaderFor (wav.createInputStream().release(), true));
    ASSERT_NE (check, nullptr);
    EXPECT_EQ (check->lengthInSamples, written.lengthInSamples);
    EXPECT_EQ (check->sampleRate, 96000.0);
}

INSTANTIATE_TEST_SUITE_P (
    Files, WindowsMediaRows, testing::ValuesIn (encodedCases),
    [] (const auto& info)
    { return juce::String (info.param.name).replaceCharacters (".-", "__").toStdString(); });

TEST (JuceWindowsMediaAudioFormat, ListsTheExtensionsOfJucesWindowsMediaFormat)
{
    qm::JuceWindowsMediaAudioFormat format;
    EXPECT_EQ (format.getFormatName(), "Windows Media");
    EXPECT_EQ (format.getFileExtensions(), juce::StringArray ({".mp3", ".wmv", ".asf", ".wm", ".wma"}));
    EXPECT_EQ (format.createWriterFor (nullptr, 44100.0, 2, 16, {}, 0), nullptr);
}

TEST (JuceWindowsMediaAudioFormat, DecodersOutsideTheAllowListStayShut)
{
    // Formats FFmpeg reads perfectly well but the program has no business opening: with an
    // extension of the Windows Media rows, they must still be refused.
    struct Refused
    {
        const char* name;
        const char* encoder;
        const char* muxer;
    };

    const Refused refused[] = {
        {"adpcm-in-asf.wma", "adpcm_ms", "asf"},
        {"pcm-in-asf.asf", "pcm_s16le", "asf"},
        {"flac-named.mp3", "flac", "flac"},
    };

    for (const auto& r : refused)
    {
        SCOPED_TRACE (r.name);
        const auto data = testfixtures::encodeInContainer (r.encoder, r.muxer,
                                                           testfixtures::makeTestPcm (2, 8000, 16), 44100, 0);

        if (data.getSize() == 0)
        {
            ADD_FAILURE() << "the fixture could not be made";
            continue;
        }

        const auto file = testfixtures::writeTempFile (r.name, data);
        testing::internal::CaptureStdout();
        auto opened = openAudioFile (file, nullptr);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ (opened, nullptr);
    }
}
} // namespace
