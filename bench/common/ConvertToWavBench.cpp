// How fast a dropped file becomes a SLOT's WAV: a minute of 44100 Hz stereo 16-bit audio, opened
// through the program's readers and converted to 24-bit stereo at 96000 Hz, written to disk.
// The counter "audio_s_per_s" is seconds of audio converted per second of wall time.

#include "common/AudioFileTools.h"

#include <juce_events/juce_events.h>

#include <benchmark/benchmark.h>

namespace
{
constexpr int sourceRate = 44100;
constexpr int sourceSeconds = 60;

// A minute of a sine with a little noise, so that nothing in the chain can take a shortcut.
juce::File writeSourceFile (const juce::File& folder)
{
    auto file = folder.getChildFile ("minute.wav");
    juce::WavAudioFormat format;
    std::unique_ptr<juce::AudioFormatWriter> writer (
        format.createWriterFor (new juce::FileOutputStream (file), sourceRate, 2, 16, {}, 0));

    juce::Random random (42);
    juce::AudioBuffer<float> block (2, sourceRate);

    for (int second = 0; second < sourceSeconds; ++second)
    {
        for (int i = 0; i < sourceRate; ++i)
        {
            const auto t = (double)(second * sourceRate + i) / sourceRate;
            const auto tone = 0.5f * (float)std::sin (2.0 * juce::MathConstants<double>::pi * 440.0 * t);
            block.setSample (0, i, tone + 0.01f * (random.nextFloat() - 0.5f));
            block.setSample (1, i, -tone + 0.01f * (random.nextFloat() - 0.5f));
        }

        writer->writeFromAudioSampleBuffer (block, 0, block.getNumSamples());
    }

    return file;
}

void convertAMinuteOfAudio (benchmark::State& state)
{
    juce::TemporaryFile folderHolder;
    const auto folder = folderHolder.getFile();
    folder.createDirectory();

    const auto source = writeSourceFile (folder);
    const auto target = folder.getChildFile ("converted.wav");

    for (auto _ : state)
    {
        auto opened = common::AudioFileTools::openAudioFile (source, nullptr);
        if (opened == nullptr)
        {
            state.SkipWithError ("the source did not open");
            break;
        }

        const auto error = common::AudioFileTools::convertToWav (opened.get(), target, 96000.0, nullptr);
        if (error.isNotEmpty())
        {
            state.SkipWithError (error.toRawUTF8());
            break;
        }
    }

    state.counters["audio_s_per_s"] =
        benchmark::Counter ((double)sourceSeconds * (double)state.iterations(), benchmark::Counter::kIsRate);
    state.SetBytesProcessed ((int64_t)state.iterations() * sourceRate * sourceSeconds * 4);

    folder.deleteRecursively();
}

BENCHMARK (convertAMinuteOfAudio)->Unit (benchmark::kMillisecond)->UseRealTime()->MinTime (3.0);
} // namespace

int main (int argc, char** argv)
{
    // Deletes the process-wide reader factory at the end, like the program's shut-down.
    juce::ScopedJuceInitialiser_GUI juce;

    benchmark::Initialize (&argc, argv);
    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
