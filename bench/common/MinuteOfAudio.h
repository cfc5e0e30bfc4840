#pragma once

// The source files of the reading and conversion benchmarks: the same minute of 44100 Hz stereo
// 16-bit audio as WAV, FLAC and MP3, made once per run in a temporary folder.

#include "support/EncodedAudioFixtures.h"

#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_events/juce_events.h>

#include <benchmark/benchmark.h>

namespace minuteofaudio
{
constexpr int sourceRate = 44100;
constexpr int sourceSeconds = 60;

enum Format
{
    wav,
    flac,
    mp3
};

inline const juce::File& folder()
{
    static const auto made = juce::File::createTempFile ("minute-of-audio");
    return made;
}

inline juce::MemoryBlock encodeWav (const testfixtures::PlanarPcm& pcm)
{
    juce::AudioBuffer<float> buffer ((int)pcm.size(), (int)pcm[0].size());

    for (int c = 0; c < buffer.getNumChannels(); ++c)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            buffer.setSample (c, i, (float)pcm[(size_t)c][(size_t)i] / 32768.0f);

    juce::MemoryBlock data;
    juce::WavAudioFormat format;
    std::unique_ptr<juce::AudioFormatWriter> writer (
        format.createWriterFor (new juce::MemoryOutputStream (data, false), sourceRate,
                                (unsigned int)buffer.getNumChannels(), 16, {}, 0));
    writer->writeFromAudioSampleBuffer (buffer, 0, buffer.getNumSamples());
    writer.reset(); // completes the header
    return data;
}

// Made on first use; later reads come from the system's cache like a recent file.
inline const juce::File& sourceFile (Format format)
{
    static const juce::File files[] = {folder().getChildFile ("minute.wav"),
                                       folder().getChildFile ("minute.flac"),
                                       folder().getChildFile ("minute.mp3")};
    const auto& file = files[format];

    if (!file.existsAsFile())
    {
        folder().createDirectory();
        const auto pcm = testfixtures::makeTestPcm (2, sourceRate * sourceSeconds, 16);
        const auto data = format == wav ? encodeWav (pcm)
                          : format == flac
                              ? testfixtures::encodeFlac (pcm, {sourceRate, 16, 4096})
                              : testfixtures::encodeMpegAudio ("libmp3lame", pcm, sourceRate, 192000);
        file.replaceWithData (data.getData(), data.getSize());
    }

    return file;
}

// The counter "audio_s_per_s": seconds of audio handled per second of wall time.
inline void reportRate (benchmark::State& state, double secondsPerIteration)
{
    state.counters["audio_s_per_s"] =
        benchmark::Counter (secondsPerIteration * (double)state.iterations(), benchmark::Counter::kIsRate);
}

// Runs the registered benchmarks inside the JUCE set-up the readers need and removes the files.
inline int runBenchmarks (int argc, char** argv)
{
    // Deletes the process-wide reader factory at the end, like the program's shut-down.
    juce::ScopedJuceInitialiser_GUI juce;

    benchmark::Initialize (&argc, argv);
    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    folder().deleteRecursively();
    return 0;
}
} // namespace minuteofaudio
