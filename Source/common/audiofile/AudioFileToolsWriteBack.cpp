#include "common/audiofile/AudioFileToolsWriteBack.h"

#if JUCE_LINUX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace common::AudioFileToolsImpl
{
WriteBack::WriteBack (const juce::File& file)
{
#if JUCE_LINUX
    // Non-blocking: opening a pipe for reading would otherwise wait for a writer.
    descriptor = ::open (file.getFullPathName().toRawUTF8(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
#else
    juce::ignoreUnused (file);
#endif
}

WriteBack::~WriteBack()
{
    stop();
}

void WriteBack::stop()
{
#if JUCE_LINUX
    if (descriptor >= 0)
        ::close (descriptor);
#endif

    descriptor = -1;
}

void WriteBack::written (juce::int64 end)
{
    if (descriptor < 0 || end - started < stepBytes)
        return;

    const auto upTo = end - end % stepBytes;

#if JUCE_LINUX
    if (::sync_file_range (descriptor, (off64_t)started, (off64_t)(upTo - started), SYNC_FILE_RANGE_WRITE) !=
        0)
    {
        stop();
        return;
    }
#endif

    started = upTo;
}
} // namespace common::AudioFileToolsImpl
