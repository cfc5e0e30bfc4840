#pragma once

#include <juce_core/juce_core.h>

namespace common::AudioFileToolsImpl
{
// Starts the disk writes of a file while it is still being written, a mebibyte at a time, so that
// the sync of the finished file has little left to wait for. It only starts writes (it never
// waits for them) and changes nothing about durability: the finished file is still synced as a
// whole. Where the system or the file system refuses (another platform, a pipe, a file system
// without the call), it stops trying and the final sync does all the work, as it did before.
//
// One thread at a time: the one writing the file.
class WriteBack
{
public:
    static constexpr juce::int64 stepBytes = 1 << 20;

    // Opens a descriptor of its own on the file (read-only; the file must exist).
    explicit WriteBack (const juce::File& file);
    ~WriteBack();

    // The file now holds its bytes up to end: starts the writes of the whole steps not yet started.
    void written (juce::int64 end);

    // False once the system refused, or when the file could not be opened.
    bool isActive() const noexcept { return descriptor >= 0; }

private:
    void stop();

    int descriptor = -1;
    juce::int64 started = 0; // the bytes below this have been handed to the disk

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WriteBack)
};
} // namespace common::AudioFileToolsImpl
