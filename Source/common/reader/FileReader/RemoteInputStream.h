#pragma once

#include <juce_core/juce_core.h>

namespace quelbix
{
// An inert stream over a URL text: it has a position and a length but never delivers a byte.
class RemoteInputStream : public juce::InputStream
{
public:
    explicit RemoteInputStream (const juce::String& urlText, juce::int64 length = 0);

    const juce::String& getUrl() const noexcept { return url; }
    bool hasPositionChanged() const noexcept { return positionChanged; }

    juce::int64 getTotalLength() override { return length; }
    bool isExhausted() override { return position >= length; }
    int read (void*, int) override { return 0; }
    juce::int64 getPosition() override { return position; }
    bool setPosition (juce::int64 newPosition) override;

private:
    juce::String url;
    juce::int64 position = 0;
    juce::int64 length = 0;
    bool positionChanged = true;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RemoteInputStream)
};
} // namespace quelbix
