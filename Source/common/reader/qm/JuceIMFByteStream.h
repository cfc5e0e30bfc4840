#pragma once

#include <juce_core/juce_core.h>

namespace qm::WindowsMediaCodec
{
// The decoder's view of the program's input stream: a readable, seekable byte stream.
// Every operation holds the stream lock, so a decoder that reads from a thread of its own never
// races the reader's owner over the input's position.
class JuceIMFByteStream
{
public:
    enum class Status
    {
        ok,
        endOfStream, // a read of at least one byte got none
        failed
    };

    enum class Origin
    {
        begin,
        current
    };

    // The input is not owned and must outlive this stream.
    explicit JuceIMFByteStream (juce::InputStream& input);

    // -1 when the length is unknown.
    juce::int64 getLength();
    juce::int64 getCurrentPosition();
    bool setCurrentPosition (juce::int64 position);
    bool isEndOfStream();
    Status read (void* buffer, int count, int& bytesRead);
    bool seek (Origin origin, juce::int64 offset, juce::int64& positionReached);
    // Later reads fail.
    void close();

private:
    juce::CriticalSection streamLock;
    juce::InputStream* input;
    bool closed = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (JuceIMFByteStream)
};
} // namespace qm::WindowsMediaCodec
