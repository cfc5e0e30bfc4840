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
} // namespace glorvak::test
