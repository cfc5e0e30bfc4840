#pragma once

#include "common/audiofile/AudioFileToolsReaderAudioSource.h"
#include "common/audiofile/PositionableAudioSource.h"

#include <memory>

namespace common
{
// Plays a reader of the program's formats: the preview player's source for the user's files.
// Blocks are read in slices of at most the block size announced to prepareToPlay.
//
// Threads: no lock. The preview player serialises prepareToPlay, getNextAudioBlock and the
// position calls (its transport's lock and read-ahead thread do that).
class PositionableAudioSourceImpl : public PositionableAudioSource
{
public:
    explicit PositionableAudioSourceImpl (std::unique_ptr<quelbix::AbstractReader> readerToOwn);
    ~PositionableAudioSourceImpl() override;

    void prepareToPlay (int samplesPerBlockExpected, double sampleRate) override;
    void releaseResources() override;
    void getNextAudioBlock (const juce::AudioSourceChannelInfo& info) override;

    // Positions are 32-bit like the readers' lengths.
    void setNextReadPosition (juce::int64 newPosition) override;
    juce::int64 getNextReadPosition() const override;
    juce::int64 getTotalLength() const override;
    bool isLooping() const override { return false; }

    int getSampleRate() override;

private:
    std::unique_ptr<quelbix::AbstractReader> reader;
    AudioFileToolsImpl::TovraReaderAudioSource source;
    int maxBlock = 128;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PositionableAudioSourceImpl)
};
} // namespace common
