#include "common/FileReplacer.h"

namespace common
{
namespace
{
constexpr int bufferSize = 16384;
}

bool FileReplacer::replace (const juce::File& target, const Writer& writeContent)
{
    juce::TemporaryFile temporary (target, juce::TemporaryFile::useHiddenFile);

    {
        juce::FileOutputStream out (temporary.getFile(), bufferSize);

        if (out.failedToOpen())
            return false;

        // A stream opened on an existing file would append to it.
        out.setPosition (0);
        out.truncate();

        if (!writeContent (out) || !flushedInFull (out, out.getPosition()))
            return false;
    }

    // rename() replaces the target in one step: there is never a moment without the file.
    return temporary.overwriteTargetFileWithTemporary();
}

bool FileReplacer::flushedInFull (juce::FileOutputStream& out, juce::int64 expectedSize)
{
    out.flush();
    return out.getStatus().wasOk() && out.getFile().getSize() == expectedSize;
}
} // namespace common
