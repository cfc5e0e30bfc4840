#pragma once

#include <juce_core/juce_core.h>

#include <functional>
#include <memory>

namespace glorvak::test
{
// A file stream that behaves like a disk with only byteLimit bytes free: bytes beyond the limit
// never reach the file. A refusing disk reports the failed write; a silent one (a cache that
// loses its final flush) claims success and just skips the bytes.
class FullDiskFileStream : public juce::FileOutputStream
{
public:
    enum class Mode
    {
        refuse,
        dropSilently
    };

    FullDiskFileStream (const juce::File& file, juce::int64 byteLimit, Mode mode);

    bool write (const void* data, size_t numBytes) override;
    bool writeRepeatedByte (juce::uint8 byte, size_t numBytes) override;

    // An opener of the kind the audio-file tools accept, making streams of this kind.
    static std::function<std::unique_ptr<juce::FileOutputStream> (const juce::File&)>
    opener (juce::int64 byteLimit, Mode mode);

private:
    juce::int64 limit;
    Mode mode;
};
} // namespace glorvak::test
