#pragma once

#include "common/reader/AbstractReader.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <vector>

namespace common::AudioFileToolsImpl
{
// Turns the stereo frames of a reader into JUCE audio blocks, reading on from where the last
// block ended. Channel 0 gets the left values, channel 1 the right ones, any further channel
// silence.
//
// Threads: none of its own; the caller serialises every call (the conversion on its one thread,
// the preview player through PositionableAudioSourceImpl).
class TovraReaderAudioSource : public juce::AudioSource
{
public:
    // The reader is not owned and must outlive the source.
    explicit TovraReaderAudioSource (quelbix::AbstractReader* readerToUse);
    ~TovraReaderAudioSource() override;

    void prepareToPlay (int samplesPerBlockExpected, double sampleRate) override;
    void releaseResources() override;
    void getNextAudioBlock (const juce::AudioSourceChannelInfo& info) override;

    int getPosition() const noexcept { return position; }
    void setPosition (int newPosition) noexcept { position = newPosition; }
    quelbix::AbstractReader* getReader() const noexcept { return reader; }

private:
    quelbix::AbstractReader* reader;
    int position = 0; // the next frame to read
    std::vector<quelbix::StereoSample> frames;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TovraReaderAudioSource)
};
} // namespace common::AudioFileToolsImpl
