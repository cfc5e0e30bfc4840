#pragma once

#include "LauncherSystem.h"

#include <windows.h>

namespace installer
{

// The launcher's calls bound to Windows. Lives for one exported call.
class WindowsLauncherSystem final : public LauncherSystem
{
public:
    Version version() override;
    bool isUserAnAdmin() override;
    void shellExecute (const char16_t* verb, const char16_t* file, const char16_t* directory) override;
    bool findCreateProcessWithToken() override;
    std::uint32_t shellWindowProcessId() override;
    Handle openProcess (std::uint32_t processId) override;
    Handle openProcessToken (Handle process) override;
    Handle duplicatePrimaryToken (Handle token) override;
    bool createProcessWithToken (Handle primaryToken, char16_t* commandLine, const char16_t* directory,
                                 Handle& thread, Handle& process) override;
    void closeHandle (Handle handle) override;

private:
    using CreateProcessWithToken = BOOL (WINAPI*) (HANDLE, DWORD, LPCWSTR, LPWSTR, DWORD, LPVOID, LPCWSTR,
                                                   LPSTARTUPINFOW, LPPROCESS_INFORMATION);
    CreateProcessWithToken createProcessWithTokenW = nullptr;
};

} // namespace installer
