#include "common/reader/qm/JuceIMFByteStream.h"

namespace qm::WindowsMediaCodec
{
JuceIMFByteStream::JuceIMFByteStream (juce::InputStream& inputToUse)
    : input (&inputToUse)
{
}

juce::int64 JuceIMFByteStream::getLength()
{
    const juce::ScopedLock sl (streamLock);
    return input->getTotalLength();
}

juce::int64 JuceIMFByteStream::getCurrentPosition()
{
    const juce::ScopedLock sl (streamLock);
    return input->getPosition();
}

bool JuceIMFByteStream::setCurrentPosition (juce::int64 position)
{
    const juce::ScopedLock sl (streamLock);
    return position >= 0 && input->setPosition (position);
}

bool JuceIMFByteStream::isEndOfStream()
{
    const juce::ScopedLock sl (streamLock);
    return input->isExhausted();
}

JuceIMFByteStream::Status JuceIMFByteStream::read (void* buffer, int count, int& bytesRead)
{
    const juce::ScopedLock sl (streamLock);
    bytesRead = 0;

    if (closed || buffer == nullptr || count < 0)
        return Status::failed;

    bytesRead = juce::jmax (0, input->read (buffer, count));
    return count > 0 && bytesRead == 0 ? Status::endOfStream : Status::ok;
}

bool JuceIMFByteStream::seek (Origin origin, juce::int64 offset, juce::int64& positionReached)
{
    const juce::ScopedLock sl (streamLock);
    const auto target = origin == Origin::begin ? offset : input->getPosition() + offset;

    if (target < 0)
        return false;

    input->setPosition (target);
    positionReached = input->getPosition();
    return true;
}

void JuceIMFByteStream::close()
{
    const juce::ScopedLock sl (streamLock);
    closed = true;
}
} // namespace qm::WindowsMediaCodec
