#include "WindowsLauncherSystem.h"

#include <shellapi.h>

// Imported by ordinal 680 through our own import library (see CMakeLists.txt).
extern "C" __declspec(dllimport) BOOL WINAPI IsUserAnAdmin();

namespace installer
{
namespace
{
// The sizes the 32-bit Windows ABI gives these structures; each one's size field tells Windows
// which version of it we pass.
static_assert (sizeof (OSVERSIONINFOW) == 276, "OSVERSIONINFOW");
static_assert (sizeof (SHELLEXECUTEINFOW) == 60, "SHELLEXECUTEINFOW");
static_assert (sizeof (STARTUPINFOW) == 68, "STARTUPINFOW");

const wchar_t* wide (const char16_t* text)
{
    return reinterpret_cast<const wchar_t*> (text);
}
} // namespace

LauncherSystem::Version WindowsLauncherSystem::version()
{
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof (info);
    if (!GetVersionExW (&info))
        return {};
    return {info.dwPlatformId, info.dwMajorVersion};
}

bool WindowsLauncherSystem::isUserAnAdmin()
{
    return IsUserAnAdmin() != FALSE;
}

void WindowsLauncherSystem::shellExecute (const char16_t* verb, const char16_t* file,
                                          const char16_t* directory)
{
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof (info);
    info.fMask = SEE_MASK_NOASYNC;
    info.lpVerb = wide (verb);
    info.lpFile = wide (file);
    info.lpDirectory = wide (directory);
    info.nShow = SW_SHOWNORMAL;
    ShellExecuteExW (&info);
}

bool WindowsLauncherSystem::findCreateProcessWithToken()
{
    if (const auto advapi = GetModuleHandleW (L"advapi32.dll"))
        createProcessWithTokenW = reinterpret_cast<CreateProcessWithToken> (
            reinterpret_cast<void*> (GetProcAddress (advapi, "CreateProcessWithTokenW")));
    return createProcessWithTokenW != nullptr;
}

std::uint32_t WindowsLauncherSystem::shellWindowProcessId()
{
    DWORD processId = 0;
    GetWindowThreadProcessId (GetShellWindow(), &processId);
    return processId;
}

LauncherSystem::Handle WindowsLauncherSystem::openProcess (std::uint32_t processId)
{
    return OpenProcess (MAXIMUM_ALLOWED, FALSE, processId);
}

LauncherSystem::Handle WindowsLauncherSystem::openProcessToken (Handle process)
{
    HANDLE token = nullptr;
    return OpenProcessToken (process, MAXIMUM_ALLOWED, &token) ? token : nullptr;
}

LauncherSystem::Handle WindowsLauncherSystem::duplicatePrimaryToken (Handle token)
{
    HANDLE primary = nullptr;
    return DuplicateTokenEx (token, MAXIMUM_ALLOWED, nullptr, SecurityDelegation, TokenPrimary, &primary)
               ? primary
               : nullptr;
}

bool WindowsLauncherSystem::createProcessWithToken (Handle primaryToken, char16_t* commandLine,
                                                    const char16_t* directory, Handle& thread,
                                                    Handle& process)
{
    if (createProcessWithTokenW == nullptr)
        return false;

    STARTUPINFOW startup = {};
    startup.cb = sizeof (startup);
    PROCESS_INFORMATION started = {};
    if (!createProcessWithTokenW (primaryToken, 0, nullptr, reinterpret_cast<wchar_t*> (commandLine), 0,
                                  nullptr, wide (directory), &startup, &started))
        return false;

    thread = started.hThread;
    process = started.hProcess;
    return true;
}

void WindowsLauncherSystem::closeHandle (Handle handle)
{
    CloseHandle (handle);
}

} // namespace installer
