#pragma once

// Header-only: measures of a resampled signal against what an ideal rate change would give,
// shared by the conversion's tests and its quality benchmark.
#include <juce_core/juce_core.h>

#include <cmath>
#include <functional>
#include <vector>

namespace glorvak::test
{
// A signal known at every instant, so that the ideal output at any rate can be computed.
using IdealSignal = std::function<double (double seconds)>;

inline IdealSignal sineSignal (double frequency, double amplitude)
{
    return [=] (double t)
    { return amplitude * std::sin (2.0 * juce::MathConstants<double>::pi * frequency * t); };
}

// Band-limited noise: many sines of random frequencies up to maxFrequency and random phases, at
// an RMS level of about rms (peaks stay well inside full scale at 0.2).
inline IdealSignal bandLimitedNoise (double maxFrequency, double rms, juce::uint32 seed = 7)
{
    constexpr int tones = 160;
    juce::Random random ((juce::int64)seed);
    std::vector<std::pair<double, double>> parts; // frequency, phase

    for (int i = 0; i < tones; ++i)
        parts.emplace_back (20.0 + random.nextDouble() * (maxFrequency - 20.0),
                            random.nextDouble() * 2.0 * juce::MathConstants<double>::pi);

    const double amplitude = rms * std::sqrt (2.0 / tones);

    return [parts, amplitude] (double t)
    {
        double sum = 0.0;

        for (const auto& [frequency, phase] : parts)
            sum += std::sin (2.0 * juce::MathConstants<double>::pi * frequency * t + phase);

        return amplitude * sum;
    };
}

// The amplitude of the component at frequency, by a least-squares fit of a sine and a cosine
// over samples [start, start + count) of a signal at rate.
inline double amplitudeAt (const float* samples, int start, int count, double frequency, double rate)
{
    double ss = 0, cc = 0, sc = 0, xs = 0, xc = 0;

    for (int i = start; i < start + count; ++i)
    {
        const double w = 2.0 * juce::MathConstants<double>::pi * frequency * i / rate;
        const double s = std::sin (w), c = std::cos (w), x = samples[i];
        ss += s * s;
        cc += c * c;
        sc += s * c;
        xs += x * s;
        xc += x * c;
    }

    const double det = ss * cc - sc * sc;
    const double a = (xs * cc - xc * sc) / det;
    const double b = (xc * ss - xs * sc) / det;
    return std::sqrt (a * a + b * b);
}

// Signal to error in dB: the ideal output's energy over that of the difference, for samples
// [start, start + count) of a signal at rate.
inline double signalToErrorDb (const float* samples, int start, int count, const IdealSignal& ideal,
                               double rate)
{
    double signal = 0, error = 0;

    for (int i = start; i < start + count; ++i)
    {
        const double want = ideal (i / rate);
        signal += want * want;
        error += (samples[i] - want) * (samples[i] - want);
    }

    return error > 0 ? 10.0 * std::log10 (signal / error) : 300.0;
}
} // namespace glorvak::test
