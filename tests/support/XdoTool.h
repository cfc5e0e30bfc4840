#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace glorvak::test
{
// Runs xdotool (or any program) with the arguments and waits for it; true when it exited with 0.
inline bool runProgram (const juce::StringArray& arguments)
{
    juce::ChildProcess process;
    return process.start (arguments, 0) && process.waitForProcessToFinish (30000) &&
           process.getExitCode() == 0;
}

// A real mouse click through the X server at a point of the component (1 left, 3 right). The
// component's window is raised first: other test programs share the display and their windows
// may lie on top. Keep windows that are clicked away from the screen's centre, where JUCE puts
// dialogs.
inline bool clickWithXdotool (juce::Component& component, juce::Point<int> local, int button = 1)
{
    if (auto* peer = component.getPeer())
        runProgram (
            {"xdotool", "windowraise", juce::String ((juce::pointer_sized_int)peer->getNativeHandle())});

    const auto p = component.localPointToGlobal (local);
    return runProgram ({"xdotool", "mousemove", "--sync", juce::String (p.x), juce::String (p.y)}) &&
           runProgram ({"xdotool", "click", juce::String (button)});
}
} // namespace glorvak::test
