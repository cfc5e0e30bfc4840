#pragma once

/** Asks the window manager to mark a top-level X11 window as wanting the user's attention
    (_NET_WM_STATE_DEMANDS_ATTENTION): its taskbar entry flashes until the user looks at it.
    nativeWindow is the X window of a JUCE peer (ComponentPeer::getNativeHandle). Does nothing
    without a display. Threads: message thread. */
void demandWindowAttention (void* nativeWindow);
