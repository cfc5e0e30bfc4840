#include "common/volumes/MountTableWatcher.h"

#include "common/volumes/RemovableVolumeListLinux.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace common
{
MountTableWatcher::MountTableWatcher (const juce::File& mountTableToWatch, int pollInterval,
                                      std::function<void()> onChangeToCall)
    : juce::Thread ("MountTableWatcher")
    , mountTable (mountTableToWatch)
    , pollIntervalMs (juce::jmax (10, pollInterval))
    , onChange (std::move (onChangeToCall))
{
    // The first content is taken here, not on the thread: a change made between this constructor
    // and the thread's start must still count as a change.
    tableFd = ::open (mountTable.getFullPathName().toRawUTF8(), O_RDONLY | O_CLOEXEC);
    lastContent = RemovableVolumeListLinux::readSmallFile (mountTable);
    wakeFd = ::eventfd (0, EFD_CLOEXEC | EFD_NONBLOCK);
    startThread();
}

MountTableWatcher::~MountTableWatcher()
{
    signalThreadShouldExit();

    if (wakeFd >= 0)
    {
        const uint64_t one = 1;
        [[maybe_unused]] auto written = ::write (wakeFd, &one, sizeof (one));
    }

    // Without the eventfd the thread still ends within one poll interval.
    stopThread (-1);

    if (wakeFd >= 0)
        ::close (wakeFd);

    if (tableFd >= 0)
        ::close (tableFd);
}

void MountTableWatcher::run()
{
    while (!threadShouldExit())
    {
        pollfd fds[2] = {{tableFd, POLLPRI, 0}, {wakeFd, POLLIN, 0}};

        if (::poll (fds, 2, pollIntervalMs) < 0 && errno != EINTR)
            wait (pollIntervalMs); // should never happen; keeps the loop from spinning

        if (threadShouldExit())
            break;

        auto content = RemovableVolumeListLinux::readSmallFile (mountTable);

        if (content != lastContent)
        {
            lastContent = std::move (content);
            onChange();
        }
    }
}
} // namespace common
