#include "support/FullDiskFileStream.h"

namespace glorvak::test
{
FullDiskFileStream::FullDiskFileStream (const juce::File& file, juce::int64 byteLimit, Mode modeToUse)
    : juce::FileOutputStream (file, 16384)
    , limit (byteLimit)
    , mode (modeToUse)
{
}

bool FullDiskFileStream::write (const void* data, size_t numBytes)
{
    const auto position = getPosition();
    const auto room = juce::jlimit ((juce::int64)0, (juce::int64)numBytes, limit - position);

    if (room > 0 && !juce::FileOutputStream::write (data, (size_t)room))
        return false;

    if (room == (juce::int64)numBytes)
        return true;

    if (mode == Mode::refuse)
        return false;

    // Move on as if the bytes had been written; the file stays short of them.
    return juce::FileOutputStream::setPosition (position + (juce::int64)numBytes);
}

bool FullDiskFileStream::writeRepeatedByte (juce::uint8 byte, size_t numBytes)
{
    juce::HeapBlock<juce::uint8> bytes (numBytes);
    std::fill_n (bytes.get(), numBytes, byte);
    return write (bytes.get(), numBytes);
}

std::function<std::unique_ptr<juce::FileOutputStream> (const juce::File&)>
FullDiskFileStream::opener (juce::int64 byteLimit, Mode mode)
{
    return [=] (const juce::File& file)
    { return std::make_unique<FullDiskFileStream> (file, byteLimit, mode); };
}
} // namespace glorvak::test
