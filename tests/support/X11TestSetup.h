#pragma once

namespace glorvak::test
{
// Two things JUCE does only for real applications, done for test programs that open windows:
// - X errors are ignored. Without a handler Xlib ends the process on the first one, and a window
//   of another test program running beside this one on the same display can vanish while JUCE
//   looks at it.
// - The X libraries stay loaded. JUCE closes them at exit, after which the leak checker no longer
//   knows which library made X's lifelong allocations and cannot suppress them.
// Does nothing without a display.
void prepareX11ForWindowTests();

// A drag image snapping back or a fading bubble lives on in a proxy window of the desktop's
// animator, which JUCE deletes only after it has closed the X display (a crash in Xlib at exit).
// Ends them while the display is open; call it before JUCE shuts down.
void endWindowAnimations();
} // namespace glorvak::test
