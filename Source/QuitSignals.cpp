#include "QuitSignals.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace
{
// The handler has no context of its own: it reaches the pipe through this.
std::atomic<int> signalPipe{-1};
} // namespace

QuitSignals::QuitSignals (std::function<void()> onQuitRequestToUse)
    : onQuitRequest (std::move (onQuitRequestToUse))
{
    JUCE_ASSERT_MESSAGE_THREAD

    int ends[2];
    if (signalPipe.load() >= 0 || pipe2 (ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return;

    readEnd = ends[0];
    writeEnd = ends[1];
    signalPipe = writeEnd;

    juce::LinuxEventLoop::registerFdCallback (readEnd, [this] (int) { readPipe(); });

    struct sigaction action
    {
    };
    action.sa_handler = handleSignal;
    sigemptyset (&action.sa_mask);
    action.sa_flags = SA_RESTART;

    for (size_t i = 0; i < std::size (signalNumbers); ++i)
        sigaction (signalNumbers[i], &action, &previous[i]);

    installed = true;
}

QuitSignals::~QuitSignals()
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (!installed)
        return;

    for (size_t i = 0; i < std::size (signalNumbers); ++i)
        sigaction (signalNumbers[i], &previous[i], nullptr);

    signalPipe = -1;
    juce::LinuxEventLoop::unregisterFdCallback (readEnd);
    close (writeEnd);
    close (readEnd);
}

void QuitSignals::handleSignal (int)
{
    // Only async-signal-safe calls here; errno is the interrupted code's.
    const auto savedErrno = errno;

    if (const auto fd = signalPipe.load(); fd >= 0)
    {
        const char byte = 1;
        [[maybe_unused]] const auto written = write (fd, &byte, 1); // a full pipe already says it
    }

    errno = savedErrno;
}

void QuitSignals::readPipe()
{
    char bytes[64];
    bool any = false;

    while (read (readEnd, bytes, sizeof (bytes)) > 0)
        any = true;

    // Several signals in a row make one request: the application drops repeats anyway.
    if (any && onQuitRequest != nullptr)
        onQuitRequest();
}
