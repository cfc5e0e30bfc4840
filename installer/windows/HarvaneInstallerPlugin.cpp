// HarvaneInstallerPlugin.dll: starts a program, whose path the installer script pushes, elevated
// (AuthorizedExecute) or with the desktop user's rights (RestrictedExecute). Nothing is pushed back.

#include "GlobalStackMemory.h"
#include "Launcher.h"
#include "WindowsLauncherSystem.h"

namespace
{
template <typename Step>
void runLauncher (int stringSize, installer::StackEntry** stackTop, Step step)
{
    installer::GlobalStackMemory memory;
    installer::PluginStack stack (stackTop, stringSize, memory);
    installer::WindowsLauncherSystem system;
    installer::Launcher launcher (system);
    (launcher.*step) (stack);
}
} // namespace

extern "C" void AuthorizedExecute (HWND, int stringSize, wchar_t*, installer::StackEntry** stackTop, void*)
{
    runLauncher (stringSize, stackTop, &installer::Launcher::authorizedExecute);
}

extern "C" void RestrictedExecute (HWND, int stringSize, wchar_t*, installer::StackEntry** stackTop, void*)
{
    runLauncher (stringSize, stackTop, &installer::Launcher::restrictedExecute);
}

// Exported by name too; the library keeps no state, so there is nothing to set up or tear down.
extern "C" BOOL WINAPI DllMain (HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
