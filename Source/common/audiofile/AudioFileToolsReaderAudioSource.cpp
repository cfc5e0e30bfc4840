#include "common/audiofile/AudioFileToolsReaderAudioSource.h"

namespace common::AudioFileToolsImpl
{
TovraReaderAudioSource::TovraReaderAudioSource (quelbix::AbstractReader* readerToUse)
    : reader (readerToUse)
{
}

TovraReaderAudioSource::~TovraReaderAudioSource() = default;

void TovraReaderAudioSource::prepareToPlay (int samplesPerBlockExpected, double)
{
    frames.resize ((size_t)juce::jmax (0, samplesPerBlockExpected));
}

void TovraReaderAudioSource::releaseResources()
{
    frames.clear();
}

void TovraReaderAudioSource::getNextAudioBlock (const juce::AudioSourceChannelInfo& info)
{
    const auto numFrames = info.numSamples;
    if (numFrames <= 0)
        return;

    // A resampler asks for more than it announced when its ratio is small (8000 Hz read for
    // 96000 Hz), and a caller may skip prepareToPlay: grow rather than overrun.
    if (frames.size() < (size_t)numFrames)
        frames.resize ((size_t)numFrames);

    // Only frames inside the file are asked for: before 0 and past the end there is silence, and
    // the reader never sees a position that overflows when it counts on from it.
    std::fill_n (frames.begin(), numFrames, quelbix::StereoSample{});

    const auto start = (juce::int64)position;
    const auto length = reader != nullptr ? (juce::int64)reader->getLengthInSamples() : 0;
    const auto readStart = juce::jmax (start, (juce::int64)0);
    const auto readEnd = juce::jmin (start + numFrames, length);

    if (readEnd > readStart)
        reader->read ((int)readStart, frames.data() + (readStart - start), (int)(readEnd - readStart));

    position = (int)juce::jmin (start + numFrames, (juce::int64)std::numeric_limits<int>::max());

    auto& buffer = *info.buffer;
    const auto* source = frames.data();

    for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
    {
        auto* dest = buffer.getWritePointer (channel, info.startSample);

        if (channel == 0)
            for (int i = 0; i < numFrames; ++i)
                dest[i] = source[i].left;
        else if (channel == 1)
            for (int i = 0; i < numFrames; ++i)
                dest[i] = source[i].right;
        else
            juce::FloatVectorOperations::clear (dest, numFrames);
    }
}
} // namespace common::AudioFileToolsImpl
