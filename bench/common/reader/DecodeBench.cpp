// How fast the FLAC and MP3 readers deliver audio: a minute of 44100 Hz stereo, read through the
// reader in the conversion's 8192-frame blocks, and converted to the program's 96000 Hz WAV.
// The counter "audio_s_per_s" is seconds of audio per second of wall time.

#include "common/AudioFileTools.h"
#include "support/EncodedAudioFixtures.h"

#include <juce_events/juce_events.h>

#include <benchmark/benchmark.h>

namespace
{
constexpr int sourceRate = 44100;
constexpr int sourceSeconds = 60;
constexpr int blockFrames = 8192;

enum Format
{
    flac,
    mp3
};

const juce::File& benchFolder()
{
    static const auto folder = juce::File::createTempFile ("decode-bench");
    return folder;
}

// Made once per run; the page buffer then reads it from the system's cache like a recent file.
const juce::File& sourceFile (Format format)
{
    const auto& folder = benchFolder();
    static const juce::File files[] = {folder.getChildFile ("minute.flac"),
                                       folder.getChildFile ("minute.mp3")};
    const auto& file = files[format];

    if (!file.existsAsFile())
    {
        folder.createDirectory();
        const auto pcm = testfixtures::makeTestPcm (2, sourceRate * sourceSeconds, 16);
        const auto data = format == flac
                              ? testfixtures::encodeFlac (pcm, {sourceRate, 16, 4096})
                              : testfixtures::encodeMpegAudio ("libmp3lame", pcm, sourceRate, 192000);
        file.replaceWithData (data.getData(), data.getSize());
    }

    return file;
}

void reportRate (benchmark::State& state, double seconds)
{
    state.counters["audio_s_per_s"] =
        benchmark::Counter (seconds * (double)state.iterations(), benchmark::Counter::kIsRate);
}

void readWholeFile (benchmark::State& state, Format format)
{
    const auto& file = sourceFile (format);
    std::vector<quelbix::StereoSample> block (blockFrames);
    double seconds = 0.0;

    for (auto _ : state)
    {
        auto reader = common::AudioFileTools::createReader (file);

        if (reader == nullptr)
        {
            state.SkipWithError ("the file did not open");
            break;
        }

        const int length = reader->getLengthInSamples();

        for (int start = 0; start < length; start += blockFrames)
            reader->read (start, block.data(), blockFrames);

        benchmark::DoNotOptimize (block.data());
        seconds = (double)length / reader->getSampleRate();
    }

    reportRate (state, seconds);
}

void convertToWav (benchmark::State& state, Format format)
{
    const auto& file = sourceFile (format);
    const auto target = file.getSiblingFile ("converted.wav");
    double seconds = 0.0;

    for (auto _ : state)
    {
        common::AudioFileTools::AudioFileInfo info;
        auto opened = common::AudioFileTools::openAudioFile (file, &info);

        if (opened == nullptr)
        {
            state.SkipWithError ("the file did not open");
            break;
        }

        const auto error = common::AudioFileTools::convertToWav (opened.get(), target, 96000.0, nullptr);

        if (error.isNotEmpty())
        {
            state.SkipWithError (error.toRawUTF8());
            break;
        }

        seconds = (double)info.lengthInSamples / info.sampleRate;
    }

    reportRate (state, seconds);
}

BENCHMARK_CAPTURE (readWholeFile, flac, flac)->Unit (benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE (readWholeFile, mp3, mp3)->Unit (benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE (convertToWav, flac, flac)->Unit (benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE (convertToWav, mp3, mp3)->Unit (benchmark::kMillisecond)->UseRealTime();
} // namespace

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;

    benchmark::Initialize (&argc, argv);
    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    benchFolder().deleteRecursively();
    return 0;
}
