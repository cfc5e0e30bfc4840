#include "WindowAttention.h"

// Only Xlib here: its macros (None, Bool, Status...) would clash with JUCE's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdint>

void demandWindowAttention (void* nativeWindow)
{
    if (nativeWindow == nullptr)
        return;

    // A connection of our own: JUCE's is private to it, and this message is a one-off.
    Display* display = XOpenDisplay (nullptr);
    if (display == nullptr)
        return;

    const auto window = (Window)(std::uintptr_t)nativeWindow;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom (display, "_NET_WM_STATE", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 1; // _NET_WM_STATE_ADD
    event.xclient.data.l[1] = (long)XInternAtom (display, "_NET_WM_STATE_DEMANDS_ATTENTION", False);
    event.xclient.data.l[2] = 0;
    event.xclient.data.l[3] = 1; // sent by a normal application

    XSendEvent (display, DefaultRootWindow (display), False,
                SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush (display);
    XCloseDisplay (display);
}
