#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

namespace common
{
// A positionable source that also knows the rate of the audio it delivers, so that the preview
// player can set up its transport for the user's file.
class PositionableAudioSource : public juce::PositionableAudioSource
{
public:
    ~PositionableAudioSource() override;

    virtual int getSampleRate() = 0;
};
} // namespace common
