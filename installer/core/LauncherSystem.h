#pragma once

#include <cstdint>

namespace installer
{

// The Windows functions the launcher calls. The plug-in binds them to the real functions; the
// tests bind them to a fake that records the calls and the handles left open.
class LauncherSystem
{
public:
    using Handle = void*;

    struct Version
    {
        std::uint32_t platformId = 0;
        std::uint32_t majorVersion = 0;
    };

    virtual ~LauncherSystem() = default;

    virtual Version version() = 0;
    virtual bool isUserAnAdmin() = 0;

    // ShellExecuteExW without waiting and without a process handle. `directory` is null when the
    // program has no folder of its own. Its outcome (a missing file, a declined elevation) is
    // nobody's to hear about, so nothing is returned.
    virtual void shellExecute (const char16_t* verb, const char16_t* file, const char16_t* directory) = 0;

    // Whether CreateProcessWithTokenW exists; it is looked up at run time, never imported, because
    // Windows before Vista lacks it and the plug-in must load there.
    virtual bool findCreateProcessWithToken() = 0;

    // The process that owns the desktop's shell window; 0 when there is none.
    virtual std::uint32_t shellWindowProcessId() = 0;

    // Each returns null on failure; whatever they return non-null must be closed.
    virtual Handle openProcess (std::uint32_t processId) = 0;
    virtual Handle openProcessToken (Handle process) = 0;
    virtual Handle duplicatePrimaryToken (Handle token) = 0;

    // CreateProcessWithTokenW; on success the new process's thread and process handles, which the
    // caller closes.
    virtual bool createProcessWithToken (Handle primaryToken, char16_t* commandLine,
                                         const char16_t* directory, Handle& thread, Handle& process) = 0;

    virtual void closeHandle (Handle handle) = 0;
};

} // namespace installer
