#pragma once

#include "LauncherSystem.h"
#include "PluginStack.h"

namespace installer
{

// What HarvaneInstallerPlugin does with the program path on the installer's stack. Nothing is
// reported back to the installer: nothing is pushed, nothing returned. Every handle it opens is
// closed on every path. With an empty stack nothing is started: there is no program to start.
class Launcher
{
public:
    explicit Launcher (LauncherSystem& system);

    // Starts the program with administrator rights: directly when the installer has them, else
    // through the elevation prompt; before Vista, plainly (there is no prompt to ask).
    void authorizedExecute (PluginStack& stack);

    // Starts the program with the desktop user's rights even from an elevated installer, with the
    // token of the process that owns the shell window; when that fails at any step, plainly.
    void restrictedExecute (PluginStack& stack);

    static constexpr std::uint32_t platformWin32Nt = 2;

private:
    bool isVistaOrNewer();
    void startPlain (const char16_t* path);
    void startElevated (const char16_t* path);
    void startWithVerb (const char16_t* verb, const char16_t* path);
    bool startAsShellUser (const char16_t* path);

    LauncherSystem& system;
};

} // namespace installer
