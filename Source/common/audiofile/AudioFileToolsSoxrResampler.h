#pragma once

#include <juce_core/juce_core.h>

#include <vector>

struct soxr;

namespace common::AudioFileToolsImpl
{
// Changes the rate of interleaved float frames with libsoxr at its high quality: flat to
// 20 kHz at 44100 -> 96000 Hz, images far below the signal, and no delay (the output starts with
// the input's first frame). Replaces JUCE's linear interpolation, which cut the treble of every
// imported sample (about -4 dB at 15 kHz) and lagged by most of a sample.
//
// One thread at a time; the conversion's resampling stage owns it.
class SoxrResampler
{
public:
    // channels: 1 or 2, interleaved. libsoxr runs on the caller's thread alone (its own threads
    // gain nothing in Debian's build): the conversion runs one resampler per channel instead.
    SoxrResampler (double inputRate, double outputRate, int channels);
    ~SoxrResampler();

    // False when libsoxr refused the rates; nothing is produced then.
    bool isValid() const noexcept { return resampler != nullptr; }

    // Takes all the frames and appends what comes out to output (interleaved, one float a channel).
    void process (const float* interleaved, size_t numFrames, std::vector<float>& output);
    // After the last input: appends the frames still held back by the filter.
    void flush (std::vector<float>& output);

private:
    void run (const float* interleaved, size_t numFrames, std::vector<float>& output);

    soxr* resampler = nullptr;
    const double ratio; // output frames per input frame
    const size_t numChannels;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SoxrResampler)
};
} // namespace common::AudioFileToolsImpl
