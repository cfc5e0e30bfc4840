#include "common/reader/FileReader/RemoteInputStream.h"

namespace quelbix
{
RemoteInputStream::RemoteInputStream (const juce::String& urlText, juce::int64 totalLength)
    : url (urlText)
    , length (juce::jmax ((juce::int64)0, totalLength))
{
}

bool RemoteInputStream::setPosition (juce::int64 newPosition)
{
    const auto clamped = newPosition < 0 ? 0 : juce::jmin (newPosition, length);

    if (clamped != position)
        positionChanged = true;

    position = clamped;
    return true;
}
} // namespace quelbix
