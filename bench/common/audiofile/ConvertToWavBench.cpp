// How fast a dropped file becomes a SLOT's WAV: a minute of 44100 Hz stereo 16-bit audio as WAV,
// FLAC and MP3, opened through the program's readers and converted to 24-bit stereo at 96000 Hz,
// written to disk. The counter "audio_s_per_s" is seconds of audio converted per second of wall
// time.

#include "../MinuteOfAudio.h"

#include "common/audiofile/AudioFileTools.h"

namespace
{
using namespace minuteofaudio;

void convertAMinuteOfAudio (benchmark::State& state, Format format)
{
    const auto& source = sourceFile (format);
    const auto target = source.getSiblingFile ("converted.wav");
    double seconds = 0.0;

    for (auto _ : state)
    {
        common::AudioFileTools::AudioFileInfo info;
        auto opened = common::AudioFileTools::openAudioFile (source, &info);

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

        seconds = (double)info.lengthInSamples / info.sampleRate;
    }

    reportRate (state, seconds);
}

BENCHMARK_CAPTURE (convertAMinuteOfAudio, wav, wav)
    ->Unit (benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime (3.0);
BENCHMARK_CAPTURE (convertAMinuteOfAudio, flac, flac)
    ->Unit (benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime (3.0);
BENCHMARK_CAPTURE (convertAMinuteOfAudio, mp3, mp3)
    ->Unit (benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime (3.0);
} // namespace

int main (int argc, char** argv)
{
    return minuteofaudio::runBenchmarks (argc, argv);
}
