#include "common/audiofile/AudioFileToolsSoxrResampler.h"

#include <soxr.h>

namespace common::AudioFileToolsImpl
{
SoxrResampler::SoxrResampler (double inputRate, double outputRate, int channels)
    : ratio (inputRate > 0.0 ? outputRate / inputRate : 0.0)
    , numChannels ((size_t)juce::jlimit (1, 2, channels))
{
    const auto io = soxr_io_spec (SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const auto quality = soxr_quality_spec (SOXR_HQ, 0);
    const auto runtime = soxr_runtime_spec (1);
    soxr_error_t error = nullptr;

    if (inputRate > 0.0 && outputRate > 0.0)
        resampler =
            soxr_create (inputRate, outputRate, (unsigned)numChannels, &error, &io, &quality, &runtime);

    if (error != nullptr && resampler != nullptr)
    {
        soxr_delete (resampler);
        resampler = nullptr;
    }
}

SoxrResampler::~SoxrResampler()
{
    if (resampler != nullptr)
        soxr_delete (resampler);
}

void SoxrResampler::process (const float* interleaved, size_t numFrames, std::vector<float>& output)
{
    if (numFrames > 0)
        run (interleaved, numFrames, output);
}

void SoxrResampler::flush (std::vector<float>& output)
{
    run (nullptr, 0, output);
}

void SoxrResampler::run (const float* interleaved, size_t numFrames, std::vector<float>& output)
{
    if (resampler == nullptr)
        return;

    // Room for what this input gives, plus some of what the filter held back; a null input asks
    // for the rest, which takes as many rounds as it needs.
    const auto room = (size_t)((double)numFrames * ratio) + 4096;
    size_t consumed = 0;

    for (;;)
    {
        const auto start = output.size();
        output.resize (start + room * numChannels);
        size_t used = 0, made = 0;
        const auto* in = interleaved != nullptr ? interleaved + consumed * numChannels : nullptr;
        const auto error =
            soxr_process (resampler, in, numFrames - consumed, &used, output.data() + start, room, &made);
        output.resize (start + made * numChannels);
        consumed += used;

        if (error != nullptr || (used == 0 && made == 0 && interleaved != nullptr))
            return;

        if (interleaved != nullptr ? consumed >= numFrames : made == 0)
            return;
    }
}
} // namespace common::AudioFileToolsImpl
