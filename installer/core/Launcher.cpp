#include "Launcher.h"

#include "ProgramPath.h"

namespace installer
{
namespace
{
// A program without a folder of its own starts in the caller's current folder: no folder is
// passed rather than an empty one.
const char16_t* folderOrNone (const PluginStack::Buffer& folder)
{
    return folder[0] != 0 ? folder : nullptr;
}
} // namespace

Launcher::Launcher (LauncherSystem& systemToUse)
    : system (systemToUse)
{
}

void Launcher::authorizedExecute (PluginStack& stack)
{
    PluginStack::Buffer path = {};
    if (!stack.pop (path))
        return;

    if (isVistaOrNewer() && !system.isUserAnAdmin())
        startElevated (path);
    else
        startPlain (path);
}

void Launcher::restrictedExecute (PluginStack& stack)
{
    PluginStack::Buffer path = {};
    if (!stack.pop (path))
        return;

    // Without elevation the installer already has the user's rights; a plain start keeps them.
    if (!isVistaOrNewer() || !system.isUserAnAdmin() || !startAsShellUser (path))
        startPlain (path);
}

bool Launcher::isVistaOrNewer()
{
    const auto version = system.version();
    return version.platformId == platformWin32Nt && version.majorVersion >= 6;
}

void Launcher::startPlain (const char16_t* path)
{
    startWithVerb (u"open", path);
}

void Launcher::startElevated (const char16_t* path)
{
    startWithVerb (u"runas", path);
}

void Launcher::startWithVerb (const char16_t* verb, const char16_t* path)
{
    PluginStack::Buffer folder;
    ProgramPath::folderOf (path, folder);
    system.shellExecute (verb, path, folderOrNone (folder));
}

bool Launcher::startAsShellUser (const char16_t* path)
{
    if (!system.findCreateProcessWithToken())
        return false;

    // No desktop gives process id 0, which OpenProcess refuses.
    const auto shellProcess = system.openProcess (system.shellWindowProcessId());
    if (shellProcess == nullptr)
        return false;

    // Each handle is closed as soon as the next one is made from it, whatever the outcome, so
    // that no later failure has to remember it.
    const auto shellToken = system.openProcessToken (shellProcess);
    system.closeHandle (shellProcess);
    if (shellToken == nullptr)
        return false;

    const auto primaryToken = system.duplicatePrimaryToken (shellToken);
    system.closeHandle (shellToken);
    if (primaryToken == nullptr)
        return false;

    ProgramPath::CommandLine commandLine;
    ProgramPath::quoted (path, commandLine);
    PluginStack::Buffer folder;
    ProgramPath::folderOf (path, folder);

    LauncherSystem::Handle thread = nullptr;
    LauncherSystem::Handle process = nullptr;
    const bool started =
        system.createProcessWithToken (primaryToken, commandLine, folderOrNone (folder), thread, process);
    system.closeHandle (primaryToken);
    if (!started)
        return false;

    // Nothing waits for the program.
    if (thread != nullptr)
        system.closeHandle (thread);
    if (process != nullptr)
        system.closeHandle (process);
    return true;
}

} // namespace installer
