#include "common/audiofile/PositionableAudioSourceImpl.h"

namespace common
{
PositionableAudioSourceImpl::PositionableAudioSourceImpl (
    std::unique_ptr<quelbix::AbstractReader> readerToOwn)
    : reader (std::move (readerToOwn))
    , source (reader.get())
{
}

PositionableAudioSourceImpl::~PositionableAudioSourceImpl()
{
    // The source points at the reader; let it go first.
    source.releaseResources();
}

void PositionableAudioSourceImpl::prepareToPlay (int samplesPerBlockExpected, double sampleRate)
{
    maxBlock = samplesPerBlockExpected;
    source.prepareToPlay (samplesPerBlockExpected, sampleRate);
}

void PositionableAudioSourceImpl::releaseResources()
{
    source.releaseResources();
}

void PositionableAudioSourceImpl::getNextAudioBlock (const juce::AudioSourceChannelInfo& info)
{
    info.clearActiveBufferRegion();

    // A block size of 0 from a device would never advance.
    const auto step = juce::jmax (1, maxBlock);
    const auto end = info.startSample + info.numSamples;

    for (int p = info.startSample; p < end; p += step)
        source.getNextAudioBlock (juce::AudioSourceChannelInfo (info.buffer, p, juce::jmin (step, end - p)));
}

void PositionableAudioSourceImpl::setNextReadPosition (juce::int64 newPosition)
{
    source.setPosition ((int)juce::jlimit ((juce::int64)std::numeric_limits<int>::min(),
                                           (juce::int64)std::numeric_limits<int>::max(), newPosition));
}

juce::int64 PositionableAudioSourceImpl::getNextReadPosition() const
{
    return source.getPosition();
}

juce::int64 PositionableAudioSourceImpl::getTotalLength() const
{
    return reader != nullptr ? (juce::int64)reader->getLengthInSamples() : 0;
}

int PositionableAudioSourceImpl::getSampleRate()
{
    return reader != nullptr ? reader->getSampleRate() : 0;
}
} // namespace common
