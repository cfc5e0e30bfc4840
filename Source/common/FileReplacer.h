#pragma once

#include <juce_core/juce_core.h>

#include <functional>

namespace common
{
// Replaces a file without ever leaving a half-written one in its place: the content goes to a
// hidden temporary file beside the target, which is flushed (JUCE syncs on flush), checked and
// renamed over the target in one step. A crash, a full disk or a writer that gives up leaves the
// former file whole and no temporary file behind.
class FileReplacer
{
public:
    // Writes the whole content; false abandons the replacement.
    using Writer = std::function<bool (juce::OutputStream&)>;

    // True when the writer succeeded, all it wrote reached the disk and the rename worked.
    static bool replace (const juce::File& target, const Writer& writeContent);

    // JUCE's stream status misses a short write (a disk that fills up part-way through a buffer),
    // so the size that reached the file is checked as well.
    static bool flushedInFull (juce::FileOutputStream& out, juce::int64 expectedSize);
};
} // namespace common
