#pragma once

#include <juce_core/juce_core.h>

#include <functional>
#include <string>

namespace common
{
/** Calls a function whenever the content of a mount table file changes.

    The kernel's mount tables wake a poll() with POLLPRI when anything is mounted or unmounted;
    files that cannot do that are compared every poll interval instead. The function runs on the
    watcher's own thread; the constructor and destructor run on the owner's thread, and the
    destructor returns only when the thread has ended. */
class MountTableWatcher : private juce::Thread
{
public:
    MountTableWatcher (const juce::File& mountTable, int pollIntervalMs, std::function<void()> onChange);
    ~MountTableWatcher() override;

private:
    void run() override;

    const juce::File mountTable;
    const int pollIntervalMs;
    const std::function<void()> onChange;
    int tableFd = -1;
    int wakeFd = -1;         // an eventfd that ends a poll() when the thread must stop
    std::string lastContent; // written by the constructor, then only by the thread

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MountTableWatcher)
};
} // namespace common
