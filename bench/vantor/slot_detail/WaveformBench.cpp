// How fast the SLOT editor's waveform is: reading the levels of a SLOT's WAV (96 kHz, 24-bit
// stereo, as the program stores them) of 16 s, 300 s and 1800 s until fully loaded, and one
// paint of the 393-px wide waveform for the whole file and for 2-s and 0.4-s views, both standing
// still and moving (each paint a few pixels further, so the cached window is refilled; below 512
// frames per pixel that reads the file on the painting thread, as JUCE does).
// The test WAVs are written once into the temporary folder and removed at the end.

#include "vantor/slot_detail/AudioThumbnailComponent.h"

#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_events/juce_events.h>

#include <benchmark/benchmark.h>

#include <map>

namespace
{
using vantor::slot_detail::AudioThumbnailComponent;

juce::File scratchFolder()
{
    static const auto folder = []
    {
        auto f = juce::File::getSpecialLocation (juce::File::tempDirectory)
                     .getNonexistentChildFile ("glorvak-waveform-bench", {}, false);
        f.createDirectory();
        return f;
    }();
    return folder;
}

/** A 96 kHz 24-bit stereo WAV of the given length: a tone whose level swells. */
juce::File waveFile (int seconds)
{
    static std::map<int, juce::File> made;

    if (auto found = made.find (seconds); found != made.end())
        return found->second;

    const auto file = scratchFolder().getChildFile (juce::String (seconds) + "s.wav");
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatWriter> writer (
        wav.createWriterFor (new juce::FileOutputStream (file), 96000.0, 2, 24, {}, 0));
    juce::AudioBuffer<float> block (2, 96000);

    for (int second = 0; second < seconds; ++second)
    {
        for (int i = 0; i < block.getNumSamples(); ++i)
        {
            const auto t = second + i / 96000.0;
            const auto level = (float)(0.2 + 0.7 * std::abs (std::sin (t * 3.0)));
            const auto value = level * (float)std::sin (juce::MathConstants<double>::twoPi * 220.0 * t);
            block.setSample (0, i, value);
            block.setSample (1, i, 0.5f * value);
        }

        writer->writeFromAudioSampleBuffer (block, 0, block.getNumSamples());
    }

    made[seconds] = file;
    return file;
}

void waitUntil (const std::function<bool()>& condition)
{
    while (!condition())
        juce::MessageManager::getInstance()->runDispatchLoopUntil (1);
}

void BM_LoadLevels (benchmark::State& state)
{
    const auto file = waveFile ((int)state.range (0));
    juce::AudioFormatManager formats;
    formats.registerBasicFormats();

    for (auto _ : state)
    {
        AudioThumbnailComponent component (formats);
        component.setSize (393, 85);
        component.loadFile (juce::URL (file));
        waitUntil ([&component] { return component.isFullyLoaded(); });
    }
}

/** range(0): file seconds; range(1): visible milliseconds (0: whole file); range(2): moving. */
void BM_Paint (benchmark::State& state)
{
    const auto seconds = (double)state.range (0);
    const auto visible = state.range (1) > 0 ? state.range (1) / 1000.0 : seconds;
    const auto moving = state.range (2) != 0;
    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    AudioThumbnailComponent component (formats);
    component.setSize (393, 85);
    component.loadFile (juce::URL (waveFile ((int)seconds)));
    waitUntil ([&component] { return component.isFullyLoaded(); });
    component.setStartTime (0.0);
    component.setEndTime (seconds);

    juce::Image image (juce::Image::ARGB, 393, 85, true);
    auto start = seconds / 3.0;
    const auto step = visible / 393.0 * 3.0; // three pixels per paint

    for (auto _ : state)
    {
        if (moving)
        {
            start += step;

            if (start + visible > seconds)
                start = 0.0;
        }

        component.setVisibleRange ({start, start + visible});
        juce::Graphics g (image);
        component.paintEntireComponent (g, false);
    }
}

void paintCases (benchmark::internal::Benchmark* bench)
{
    for (const auto seconds : {16, 300, 1800})
    {
        bench->Args ({seconds, 0, 0});

        for (const auto millis : {2000, 400})
            for (const auto moving : {0, 1})
                bench->Args ({seconds, millis, moving});
    }
}
} // namespace

BENCHMARK (BM_LoadLevels)
    ->Arg (16)
    ->Arg (300)
    ->Arg (1800)
    ->Unit (benchmark::kMillisecond)
    ->Iterations (3)
    ->UseRealTime();
BENCHMARK (BM_Paint)
    ->Apply (paintCases)
    ->Unit (benchmark::kMicrosecond)
    ->ArgNames ({"file_s", "view_ms", "moving"});

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce; // message manager for the thumbnail's change messages
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    scratchFolder().deleteRecursively();
    return 0;
}
