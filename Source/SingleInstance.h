#pragma once

#include <juce_events/juce_events.h>

#include <functional>
#include <memory>

/** One running program per user and data folder.

    The first start holds an flock lock on a file and listens on a Unix socket beside it; a later
    start with the same data folder finds the lock taken, says "activate" on the socket and ends,
    touching nothing else. Both files live in $XDG_RUNTIME_DIR (named after a hash of the data
    folder's path) or, when that is unset, in the data folder itself. JUCE's own lock cannot do
    this: it is one file in a temporary folder shared by every user, and its message to the running
    instance never arrives on Linux.

    A socket path longer than a sockaddr_un holds (107 bytes) leaves the instance without a socket:
    the lock still keeps a second start out, which then only cannot bring the first to the front.

    Threads: construct and destroy on the message thread. The listener thread accepts connections
    and hands each "activate" to the message thread, where onAnotherStart runs; the destructor
    tells that thread to stop and waits for it (it polls with a short time-out, so it is never
    killed). */
class SingleInstance
{
public:
    struct Paths
    {
        juce::File lockFile;
        juce::File socketFile;
    };

    /** Where the lock and the socket of a data folder live; runtimeFolder empty means unset. */
    static Paths pathsFor (const juce::File& dataFolder, const juce::String& runtimeFolder);

    /** The paths of this user's data folder and $XDG_RUNTIME_DIR. */
    static Paths pathsForThisUser();

    /** Tries to take the lock (creating the lock file's folder when missing). */
    explicit SingleInstance (const Paths& paths);
    ~SingleInstance();

    /** True when this object holds the lock: no other instance runs on this data folder. */
    bool isFirstInstance() const noexcept;

    /** Only for the first instance: listens for later starts; onAnotherStart runs on the message
        thread for each. False when no socket could be made (the lock is still held). */
    bool startListening (std::function<void()> onAnotherStart);

    /** Only for a later start: tells the running instance, retrying for a moment while it has the
        lock but not yet its socket. False when nobody answered. */
    bool notifyRunningInstance() const;

    /** The longest socket path the system takes. */
    static constexpr int maxSocketPathBytes = 107;

private:
    class Listener;

    Paths paths;
    int lockFd = -1;
    std::unique_ptr<Listener> listener;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SingleInstance)
};
