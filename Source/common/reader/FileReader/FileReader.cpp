#include "common/reader/FileReader/FileReader.h"

#include "common/reader/FileReader/LocalInputStream.h"
#include "common/reader/FileReader/PageBufferedInputStream.h"
#include "common/reader/FileReader/RemoteInputStream.h"

#include <cstdio>

namespace quelbix
{
namespace
{
// The diagnostic lines carry fixed line numbers: tools that watch the program's output match them.
constexpr const char* openFailureFormat = "ERROR : file open %s:%d %s\n";
constexpr const char* analyzeFailureFormat = "ERROR : file analyze %s:%d %s\n";
constexpr int openFailureLine = 91;
constexpr int analyzeFailureLine = 102;
constexpr int streamAnalyzeFailureLine = 119;

// Reading straight through: a few large reads of the file rather than one per page.
constexpr int readThroughBufferBytes = 1 << 18;
} // namespace

FileReader::~FileReader()
{
    close();
}

void FileReader::printFailure (const char* format, int line, const juce::String& failedPath)
{
    std::printf (format, __FILE__, line, failedPath.toRawUTF8());
    std::fflush (stdout);
}

bool FileReader::open (const juce::String& newPath)
{
    close();

    auto local = std::make_unique<LocalInputStream> (newPath);

    if (!local->open())
    {
        local.reset();
        // Nothing reads it: it only stands for the path that could not be opened locally.
        RemoteInputStream remote (newPath);
        juce::ignoreUnused (remote);
        printFailure (openFailureFormat, openFailureLine, newPath);
        return false;
    }

    switch (bufferMode)
    {
        case pageBuffered:
            stream.set (new PageBufferedInputStream (std::move (local)), true);
            break;
        case blockBuffered:
            stream.set (new juce::BufferedInputStream (local.release(),
                                                       PageBufferedInputStream::defaultPageSize, true),
                        true);
            break;
        default:
            stream.set (local.release(), true);
            break;
    }

    openedFromPath = analyzeOpened (newPath, analyzeFailureLine);
    return openedFromPath;
}

bool FileReader::openStream (juce::InputStream* newStream, const juce::String& newPath, bool takeOwnership)
{
    if (newStream == nullptr || newPath.isEmpty())
    {
        if (takeOwnership)
            std::unique_ptr<juce::InputStream> discarded (newStream);

        return false;
    }

    close();
    stream.set (newStream, takeOwnership);
    return analyzeOpened (newPath, streamAnalyzeFailureLine);
}

bool FileReader::analyzeOpened (const juce::String& newPath, int failureLine)
{
    path = newPath;

    if (analyze())
        return true;

    printFailure (analyzeFailureFormat, failureLine, newPath);
    close();
    return false;
}

void FileReader::prepareToReadThrough()
{
    // Only a stream that open made from the path can be made again; a stream of the caller's
    // stays as it is.
    if (!openedFromPath || dynamic_cast<PageBufferedInputStream*> (stream.get()) == nullptr)
        return;

    auto local = std::make_unique<LocalInputStream> (path);

    // A file that changed since it was analysed is not swapped in under the analysis.
    if (!local->open() || local->getTotalLength() != stream->getTotalLength())
        return;

    auto plain = std::make_unique<juce::BufferedInputStream> (local.release(), readThroughBufferBytes, true);

    if (!plain->setPosition (stream->getPosition()))
        return;

    // Deleting the page-buffered stream joins its filling thread.
    stream.set (plain.release(), true);
}

void FileReader::close()
{
    stream.reset();
    path = {};
    openedFromPath = false;
}

int FileReader::getBufferedPercent()
{
    if (stream == nullptr)
        return 0;

    if (auto* paged = dynamic_cast<PageBufferedInputStream*> (stream.get()))
        return paged->getBufferedPercent();

    return -1;
}

bool FileReader::readFully (juce::InputStream& input, void* dest, int numBytes)
{
    auto* out = static_cast<char*> (dest);
    int total = 0;

    while (total < numBytes)
    {
        const int got = input.read (out + total, numBytes - total);

        if (got <= 0)
            return false;

        total += got;
    }

    return true;
}
} // namespace quelbix
