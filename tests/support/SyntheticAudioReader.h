#pragma once

// Header-only: the support library does not link the reader layer, the tests that use this do.
#include "common/reader/AbstractReader.h"

#include <cmath>
#include <functional>

namespace glorvak::test
{
// A reader of computed audio at any rate and length, for what the program's file readers do not
// open (22050, 8000 or 96000 Hz) and for checking values frame by frame.
class SyntheticAudioReader : public quelbix::AbstractReader
{
public:
    using Generator = std::function<quelbix::StereoSample (int frame)>;

    SyntheticAudioReader (int rate, int length, Generator generatorToUse)
        : sampleRate (rate)
        , lengthInSamples (length)
        , generator (std::move (generatorToUse))
    {
    }

    // Distinct, exactly representable values per frame: left counts up, right counts down.
    static Generator ramp()
    {
        return [] (int frame)
        {
            const auto value = (float)((frame % 65536) - 32768) / 32768.0f;
            return quelbix::StereoSample{value, -value};
        };
    }

    static Generator sine (double frequency, double rate, float amplitude)
    {
        return [=] (int frame)
        {
            const auto value = amplitude * (float)std::sin (2.0 * juce::MathConstants<double>::pi *
                                                            frequency * frame / rate);
            return quelbix::StereoSample{value, value};
        };
    }

    bool open (const juce::String&) override { return true; }
    void close() override {}

    void read (int startSample, quelbix::StereoSample* dest, int numFrames) override
    {
        ++readCalls;
        largestRead = juce::jmax (largestRead, numFrames);
        lowestStart = juce::jmin (lowestStart, startSample);

        for (int i = 0; i < numFrames; ++i)
        {
            const auto frame = (juce::int64)startSample + i;
            dest[i] =
                frame >= 0 && frame < lengthInSamples ? generator ((int)frame) : quelbix::StereoSample{};
        }
    }

    int getBufferedPercent() override { return -1; }
    int getLengthInSamples() override { return lengthInSamples; }
    int getSampleRate() override { return sampleRate; }
    int getFileSampleRate() override { return sampleRate; }
    juce::uint16 getBitsPerSample() override { return 16; }
    int getBitRate() override { return sampleRate * 32; }
    juce::uint16 getNumChannels() override { return 2; }
    void setUserValue (juce::uint64) override {}

    int readCalls = 0;
    int largestRead = 0;
    int lowestStart = std::numeric_limits<int>::max();

private:
    int sampleRate;
    int lengthInSamples;
    Generator generator;
};
} // namespace glorvak::test
