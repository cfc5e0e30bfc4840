#include "common/reader/FileReader/LocalInputStream.h"

#include <climits>
#include <cstdlib>

namespace quelbix
{
juce::String resolveReparsePoint (const juce::String& path)
{
    const auto native = path.toRawUTF8();

    if (!juce::File (path).isSymbolicLink())
        return path;

    // realpath resolves every link along the path, as the final path name of an open handle does.
    std::unique_ptr<char, decltype (&std::free)> resolved (::realpath (native, nullptr), &std::free);

    if (resolved == nullptr)
        return path;

    return juce::String::fromUTF8 (resolved.get());
}

LocalInputStream::LocalInputStream (const juce::String& path)
    : file (resolveReparsePoint (juce::File (path).getFullPathName()))
    , fileSize (file.getSize())
{
}

LocalInputStream::~LocalInputStream() = default;

bool LocalInputStream::open()
{
    inner.reset();

    if (file.isDirectory())
        return false;

    auto candidate = std::make_unique<juce::FileInputStream> (file);

    if (candidate->openedOk())
        inner = std::move (candidate);

    return inner != nullptr;
}

int LocalInputStream::read (void* destBuffer, int maxBytesToRead)
{
    return inner != nullptr ? inner->read (destBuffer, maxBytesToRead) : 0;
}

bool LocalInputStream::isExhausted()
{
    return inner != nullptr && inner->isExhausted();
}

juce::int64 LocalInputStream::getPosition()
{
    return inner != nullptr ? inner->getPosition() : 0;
}

bool LocalInputStream::setPosition (juce::int64 newPosition)
{
    return inner != nullptr && inner->setPosition (newPosition);
}
} // namespace quelbix
