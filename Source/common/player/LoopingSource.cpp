#include "common/player/LoopingSource.h"

namespace common::player
{
LoopingSource::RangeLooper::RangeLooper (juce::PositionableAudioSource& sourceToLoop)
    : source (sourceToLoop)
{
}

void LoopingSource::RangeLooper::setLoop (juce::Range<juce::int64> range, bool shouldLoop)
{
    loopStart = range.getStart();
    loopEnd = range.getEnd();
    looping = shouldLoop;
}

LoopingSource::RangeLooper::Span LoopingSource::RangeLooper::getSpan() const
{
    const auto length = source.getTotalLength();
    const auto start = loopStart.load();
    const auto end = juce::jmin (loopEnd.load(), length);

    if (end <= start)
        return {0, length, false};

    return {start, end, looping.load()};
}

juce::int64 LoopingSource::RangeLooper::mapPosition (juce::int64 runningPosition) const
{
    const auto span = getSpan();

    if (!span.loops || runningPosition < span.end)
        return runningPosition;

    return span.start + (runningPosition - span.start) % (span.end - span.start);
}

juce::int64 LoopingSource::RangeLooper::getTotalLength() const
{
    const auto span = getSpan();
    return span.loops ? std::numeric_limits<juce::int64>::max() / 4 : span.end;
}

void LoopingSource::RangeLooper::prepareToPlay (int samplesPerBlockExpected, double sampleRate)
{
    source.prepareToPlay (samplesPerBlockExpected, sampleRate);
}

void LoopingSource::RangeLooper::releaseResources()
{
    source.releaseResources();
}

void LoopingSource::RangeLooper::readSource (const juce::AudioSourceChannelInfo& info, juce::int64 from,
                                             int offset, int count)
{
    if (source.getNextReadPosition() != from)
        source.setNextReadPosition (from);

    source.getNextAudioBlock (juce::AudioSourceChannelInfo (info.buffer, info.startSample + offset, count));
}

void LoopingSource::RangeLooper::getNextAudioBlock (const juce::AudioSourceChannelInfo& info)
{
    const auto span = getSpan();
    const auto first = position.load();
    position = first + info.numSamples;
    int done = 0;

    while (done < info.numSamples)
    {
        const auto at = mapPosition (first + done);

        if (at < 0)
        {
            const auto count = (int)juce::jmin ((juce::int64)info.numSamples - done, -at);
            info.buffer->clear (info.startSample + done, count);
            done += count;
        }
        else if (at >= span.end)
        {
            // Past the end of a one-shot: silence, and the transport sees the end and stops.
            info.buffer->clear (info.startSample + done, info.numSamples - done);
            break;
        }
        else
        {
            const auto count = (int)juce::jmin ((juce::int64)info.numSamples - done, span.end - at);
            readSource (info, at, done, count);
            done += count;
        }
    }
}

//==============================================================================
LoopingSource::LoopingSource() = default;

LoopingSource::~LoopingSource()
{
    AudioTransportSource::setSource (nullptr);
}

double LoopingSource::getRatio() const noexcept
{
    const auto rate = preparedRate.load();
    return rate > 0.0 && sourceRate > 0.0 ? rate / sourceRate : 1.0;
}

void LoopingSource::updateLooper()
{
    if (looper != nullptr)
        looper->setLoop (sourceRange, loopingWanted);
}

void LoopingSource::setSource (juce::PositionableAudioSource* newSource, int readAheadSize,
                               juce::TimeSliceThread* readAheadThread, double sourceSampleRateToCorrectFor,
                               int maxNumChannels)
{
    const auto range = getLoopRange();

    // The transport lets go of the old looper before it is deleted.
    AudioTransportSource::setSource (nullptr);
    looper.reset();

    sourceRate = sourceSampleRateToCorrectFor;
    readAhead = readAheadSize;
    readAheadThreadUsed = readAheadThread;
    numChannels = maxNumChannels;

    if (newSource != nullptr)
        looper = std::make_unique<RangeLooper> (*newSource);

    setLoopRange (range);

    AudioTransportSource::setSource (looper.get(), readAheadSize, readAheadThread,
                                     sourceSampleRateToCorrectFor, maxNumChannels);
}

void LoopingSource::stopWithoutDevice()
{
    if (!isPlaying())
        return;

    // Attaching the looper again stops the transport at once.
    const auto position = AudioTransportSource::getNextReadPosition();
    AudioTransportSource::setSource (looper.get(), readAhead, readAheadThreadUsed, sourceRate, numChannels);
    setNextReadPosition (position);
    sendChangeMessage();
}

void LoopingSource::setLoopRange (juce::Range<juce::int64> range)
{
    const auto ratio = getRatio();
    const auto start = range.getStart();
    const auto end = juce::jmax (start, range.getEnd());
    sourceRange = {(juce::int64) ((double)start / ratio), (juce::int64) ((double)end / ratio)};
    updateLooper();

    if (!isPlaying() && looper != nullptr)
        setNextReadPosition (start);
}

juce::Range<juce::int64> LoopingSource::getLoopRange() const
{
    const auto ratio = getRatio();
    return {(juce::int64) ((double)sourceRange.getStart() * ratio),
            (juce::int64) ((double)sourceRange.getEnd() * ratio)};
}

void LoopingSource::setLoopRangeToWholeSource()
{
    sourceRange = {0, looper != nullptr ? looper->getSourceLength() : 0};
    updateLooper();
}

void LoopingSource::setLooping (bool shouldLoop)
{
    loopingWanted = shouldLoop;
    updateLooper();
}

void LoopingSource::prepareToPlay (int samplesPerBlockExpected, double sampleRate)
{
    preparedRate = sampleRate;
    AudioTransportSource::prepareToPlay (samplesPerBlockExpected, sampleRate);
}

juce::int64 LoopingSource::getNextReadPosition() const
{
    const auto running = AudioTransportSource::getNextReadPosition();

    if (looper == nullptr || !loopingWanted)
        return running;

    const auto ratio = getRatio();
    return (juce::int64) ((double)looper->mapPosition ((juce::int64) ((double)running / ratio)) * ratio);
}

juce::int64 LoopingSource::getTotalLength() const
{
    // The looper reports an endless length while looping, which the transport's conversion to
    // device samples would overflow.
    if (looper == nullptr || !loopingWanted)
        return AudioTransportSource::getTotalLength();

    return (juce::int64) ((double)looper->getSourceLength() * getRatio());
}
} // namespace common::player
