// How fast the FLAC and MP3 readers deliver audio: a minute of 44100 Hz stereo, read through the
// reader in the conversion's 8192-frame blocks (the conversion itself: ConvertToWavBench).
// The counter "audio_s_per_s" is seconds of audio per second of wall time.

#include "../MinuteOfAudio.h"

#include "common/audiofile/AudioFileTools.h"

namespace
{
using namespace minuteofaudio;

constexpr int blockFrames = 8192;

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

BENCHMARK_CAPTURE (readWholeFile, flac, flac)->Unit (benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE (readWholeFile, mp3, mp3)->Unit (benchmark::kMillisecond)->UseRealTime();
} // namespace

int main (int argc, char** argv)
{
    return minuteofaudio::runBenchmarks (argc, argv);
}
