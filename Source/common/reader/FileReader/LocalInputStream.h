#pragma once

#include <juce_core/juce_core.h>

namespace quelbix
{
// The path with its symbolic links resolved (the final target); the path unchanged when it is
// not a link or cannot be resolved.
juce::String resolveReparsePoint (const juce::String& path);

// The file itself, after resolving links in its path, with its size taken once at construction.
// Without an open inner stream every operation reads nothing.
class LocalInputStream : public juce::InputStream
{
public:
    explicit LocalInputStream (const juce::String& path);
    ~LocalInputStream() override;

    // Opens (or reopens) the inner stream; true when it is open.
    bool open();

    const juce::File& getFile() const noexcept { return file; }

    juce::int64 getTotalLength() override { return fileSize; }
    int read (void* destBuffer, int maxBytesToRead) override;
    bool isExhausted() override;
    juce::int64 getPosition() override;
    bool setPosition (juce::int64 newPosition) override;

private:
    juce::File file;
    juce::int64 fileSize = 0;
    std::unique_ptr<juce::FileInputStream> inner;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LocalInputStream)
};
} // namespace quelbix
