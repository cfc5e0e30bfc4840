#include "common/reader/FileReader/AbstractFileReadPlatform.h"

#include "common/reader/JuceAudioReaderWrapper.h"
#include "common/reader/qm/WindowsMediaAudioFormat.h"

namespace quelbix
{
namespace
{
// Never read: kept because the framework's decoding readers all own an input buffer.
constexpr size_t unusedInputBufferSize = 2048;
} // namespace

AbstractFileReadPlatform::AbstractFileReadPlatform()
{
    inputBuffer.calloc (unusedInputBufferSize);
}

AbstractFileReadPlatform::~AbstractFileReadPlatform()
{
    const juce::SpinLock::ScopedLockType sl (decoderLock);
    decoder.reset();
}

bool AbstractFileReadPlatform::hasDecoder()
{
    const juce::SpinLock::ScopedLockType sl (decoderLock);
    return decoder != nullptr;
}

void AbstractFileReadPlatform::setDecodedSampleFormat()
{
    bitsPerSample = 16;
    bytesPerSample = 2;
    gainLeft = gainRight = 1.0f / 32768.0f;
}

bool AbstractFileReadPlatform::createDecoder (bool)
{
    const juce::SpinLock::ScopedLockType sl (decoderLock);
    const juce::File file (path);
    qm::WindowsMediaAudioFormat format;
    std::unique_ptr<juce::AudioFormatReader> created;

    if (format.canHandleFile (file))
        if (auto in = file.createInputStream())
            created.reset (format.createReaderFor (in.release(), true, getAudioTrackId()));

    decoder = std::move (created);
    return decoder != nullptr;
}

void AbstractFileReadPlatform::deleteDecoder()
{
    const juce::SpinLock::ScopedLockType sl (decoderLock);
    decoder.reset();
}

void AbstractFileReadPlatform::adoptDecoderRate()
{
    const juce::SpinLock::ScopedLockType sl (decoderLock);

    if (decoder == nullptr || sampleRate <= 0)
        return;

    const auto decodedRate = (juce::int64)decoder->sampleRate;

    if (decodedRate <= 0 || decodedRate == sampleRate)
        return;

    const auto scale = [&] (juce::int32 samples)
    {
        return (juce::int32)juce::jmin ((juce::int64)std::numeric_limits<juce::int32>::max(),
                                        samples * decodedRate / sampleRate);
    };

    lengthInSamples = scale (lengthInSamples);
    samplesPerFrame = scale (samplesPerFrame);

    for (auto& entry : frameIndex)
    {
        entry.firstSample = scale (entry.firstSample);
        entry.sampleCount = scale (entry.sampleCount);
    }

    sampleRate = (juce::int32)decodedRate;
}

void AbstractFileReadPlatform::read (int startSample, StereoSample* dest, int numFrames)
{
    if (dest == nullptr || numFrames <= 0)
        return;

    const juce::SpinLock::ScopedLockType sl (decoderLock);

    // Without a decoder (not opened, or deleted) the destination is left as it is.
    if (decoder == nullptr)
        return;

    JuceAudioReaderWrapper::readStereo (*decoder, startSample, dest, numFrames);
}
} // namespace quelbix
