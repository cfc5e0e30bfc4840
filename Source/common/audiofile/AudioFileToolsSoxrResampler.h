#pragma once

#include <juce_core/juce_core.h>

#include <vector>

struct soxr;

namespace common::AudioFileToolsImpl
{
// Changes the rate of interleaved stereo float frames with libsoxr at its high quality: flat to
// 20 kHz at 44100 -> 96000 Hz, images far below the signal, and no delay (the output starts with
// the input's first frame). Replaces JUCE's linear interpolation, which cut the treble of every
// imported sample (about -4 dB at 15 kHz) and lagged by most of a sample.
//
// One thread at a time; the conversion's resampling stage owns it.
class SoxrResampler
{
public:
    // threads: how many threads libsoxr may use for the two channels (1 or 2).
    SoxrResampler (double inputRate, double outputRate, int threads);
    ~SoxrResampler();

    // False when libsoxr refused the rates; nothing is produced then.
    bool isValid() const noexcept { return resampler != nullptr; }

    // Takes all the frames and appends what comes out to output (interleaved, 2 floats a frame).
    void process (const float* interleaved, size_t numFrames, std::vector<float>& output);
    // After the last input: appends the frames still held back by the filter.
    void flush (std::vector<float>& output);

private:
    void run (const float* interleaved, size_t numFrames, std::vector<float>& output);

    soxr* resampler = nullptr;
    const double ratio; // output frames per input frame

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SoxrResampler)
};
} // namespace common::AudioFileToolsImpl
