#include "support/X11TestSetup.h"

#include <cstdlib>
#include <dlfcn.h>
#include <initializer_list>
#include <juce_gui_basics/juce_gui_basics.h>

namespace glorvak::test
{
namespace
{
bool hasDisplay()
{
    const char* display = std::getenv ("DISPLAY");
    return display != nullptr && *display != 0;
}
} // namespace

void prepareX11ForWindowTests()
{
    if (!hasDisplay())
        return;

    for (const auto* name :
         {"libXext.so.6", "libXrandr.so.2", "libXinerama.so.1", "libXcursor.so.1", "libXrender.so.1"})
        dlopen (name, RTLD_NOW | RTLD_NODELETE);

    if (auto* x11 = dlopen ("libX11.so.6", RTLD_NOW | RTLD_NODELETE))
    {
        using ErrorHandler = int (*) (void*, void*);
        using SetErrorHandler = ErrorHandler (*) (ErrorHandler);

        if (auto setErrorHandler = reinterpret_cast<SetErrorHandler> (dlsym (x11, "XSetErrorHandler")))
            setErrorHandler ([] (void*, void*) { return 0; });
    }
}

void endWindowAnimations()
{
    // Without a display no window was ever made, and asking for the desktop would connect to X.
    if (hasDisplay())
        juce::Desktop::getInstance().getAnimator().cancelAllAnimations (false);
}
} // namespace glorvak::test
