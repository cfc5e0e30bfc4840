#include "SingleInstance.h"

#include "common/AppInfo.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{
const char activateWord[] = "activate\n";

bool fillAddress (const juce::File& socketFile, sockaddr_un& address)
{
    const auto path = socketFile.getFullPathName().toStdString();
    if (path.empty() || path.size() > (size_t)SingleInstance::maxSocketPathBytes ||
        path.size() >= sizeof (address.sun_path))
        return false;

    std::memset (&address, 0, sizeof (address));
    address.sun_family = AF_UNIX;
    std::memcpy (address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

/** Waits for the descriptor to become readable; false on time-out or error. */
bool waitReadable (int fd, int timeoutMs)
{
    pollfd entry{fd, POLLIN, 0};
    for (;;)
    {
        const auto result = ::poll (&entry, 1, timeoutMs);
        if (result < 0 && errno == EINTR)
            continue;
        return result > 0 && (entry.revents & POLLIN) != 0;
    }
}
} // namespace

//==============================================================================
class SingleInstance::Listener : private juce::Thread
{
public:
    Listener (int socketFdToUse, std::function<void()> onActivate)
        : juce::Thread ("SingleInstance")
        , socketFd (socketFdToUse)
        , anchor (std::make_shared<Anchor>())
    {
        anchor->callback = std::move (onActivate);
        startThread();
    }

    ~Listener() override
    {
        // The message thread owns the anchor's callback: a hand-over still queued finds it empty.
        anchor->callback = nullptr;
        signalThreadShouldExit();
        // No time-out: the loop polls every 100 ms, so it always comes back by itself.
        stopThread (-1);
        ::close (socketFd);
    }

private:
    struct Anchor
    {
        std::function<void()> callback; // read and cleared on the message thread only
    };

    void run() override
    {
        while (!threadShouldExit())
        {
            if (!waitReadable (socketFd, 100))
                continue;

            const int client = ::accept4 (socketFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                continue;

            char buffer[sizeof (activateWord)] = {};
            ssize_t received = 0;
            if (waitReadable (client, 1000))
                received = ::recv (client, buffer, sizeof (buffer) - 1, 0);
            ::close (client);

            if (received > 0 && std::strncmp (buffer, activateWord, std::strlen (activateWord) - 1) == 0)
            {
                juce::MessageManager::callAsync (
                    [weakAnchor = std::weak_ptr<Anchor> (anchor)]
                    {
                        if (auto strong = weakAnchor.lock(); strong != nullptr && strong->callback)
                            strong->callback();
                    });
            }
        }
    }

    const int socketFd;
    std::shared_ptr<Anchor> anchor;
};

//==============================================================================
SingleInstance::Paths SingleInstance::pathsFor (const juce::File& dataFolder,
                                                const juce::String& runtimeFolder)
{
    if (runtimeFolder.isEmpty())
        return {dataFolder.getChildFile ("instance.lock"), dataFolder.getChildFile ("instance.sock")};

    // One runtime folder serves every data folder of the user, so the names carry the data folder.
    const auto key = juce::String::toHexString (dataFolder.getFullPathName().hashCode64());
    const juce::File folder (runtimeFolder);
    return {folder.getChildFile ("glorvak-" + key + ".lock"),
            folder.getChildFile ("glorvak-" + key + ".sock")};
}

SingleInstance::Paths SingleInstance::pathsForThisUser()
{
    const char* runtime = std::getenv ("XDG_RUNTIME_DIR");
    const juce::String runtimeFolder (runtime != nullptr ? runtime : "");
    return pathsFor (common::AppInfo::getUserDataFolder(),
                     juce::File::isAbsolutePath (runtimeFolder) ? runtimeFolder : juce::String());
}

SingleInstance::SingleInstance (const Paths& pathsToUse)
    : paths (pathsToUse)
{
    const auto folder = paths.lockFile.getParentDirectory();
    if (!folder.isDirectory())
        common::AppInfo::createPrivateFolder (folder);

    lockFd = ::open (paths.lockFile.getFullPathName().toRawUTF8(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd < 0)
        return;

    // flock belongs to the open file description: a second open of the same file, in this process
    // or another, cannot take it while this one holds it, and the kernel drops it when we end.
    if (::flock (lockFd, LOCK_EX | LOCK_NB) != 0)
    {
        ::close (lockFd);
        lockFd = -1;
    }
}

SingleInstance::~SingleInstance()
{
    if (listener != nullptr)
    {
        listener.reset();
        ::unlink (paths.socketFile.getFullPathName().toRawUTF8());
    }

    if (lockFd >= 0)
        ::close (lockFd);
}

bool SingleInstance::isFirstInstance() const noexcept
{
    return lockFd >= 0;
}

bool SingleInstance::startListening (std::function<void()> onAnotherStart)
{
    jassert (isFirstInstance() && listener == nullptr);
    if (!isFirstInstance() || listener != nullptr)
        return false;

    sockaddr_un address{};
    if (!fillAddress (paths.socketFile, address))
        return false;

    const int fd = ::socket (AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;

    // Holding the lock means any socket file there is left over from an instance that ended.
    ::unlink (address.sun_path);
    if (::bind (fd, reinterpret_cast<const sockaddr*> (&address), sizeof (address)) != 0 ||
        ::chmod (address.sun_path, 0600) != 0 || ::listen (fd, 4) != 0)
    {
        ::close (fd);
        return false;
    }

    listener = std::make_unique<Listener> (fd, std::move (onAnotherStart));
    return true;
}

bool SingleInstance::notifyRunningInstance() const
{
    sockaddr_un address{};
    if (!fillAddress (paths.socketFile, address))
        return false;

    // The first instance takes its lock a moment before its socket listens.
    for (int attempt = 0; attempt < 20; ++attempt)
    {
        const int fd = ::socket (AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return false;

        if (::connect (fd, reinterpret_cast<const sockaddr*> (&address), sizeof (address)) == 0)
        {
            const auto length = std::strlen (activateWord);
            const bool sent = ::send (fd, activateWord, length, MSG_NOSIGNAL) == (ssize_t)length;
            ::close (fd);
            return sent;
        }

        ::close (fd);
        juce::Thread::sleep (50);
    }

    return false;
}
