#pragma once

#include <juce_events/juce_events.h>

namespace vantor::browse
{
/** Opens a folder in the desktop's file manager: "xdg-open" with the folder as its one argument,
    started from an argument list (never through a shell, so a folder named "x$(touch y)" is only
    a name), its output thrown away. The children are reaped on the message thread as they end,
    so none is left as a zombie.
    Threads: message thread. */
class FileManagerLauncher : private juce::Timer, private juce::DeletedAtShutdown
{
public:
    /** The folder itself, or the folder holding a file. False when xdg-open could not start. */
    static bool showInFileManager (const juce::File& fileOrFolder);

    /** Launched children not yet seen to end. */
    static int getNumRunning();

    JUCE_DECLARE_SINGLETON (FileManagerLauncher, false)

private:
    FileManagerLauncher() = default;
    ~FileManagerLauncher() override;

    bool launch (const juce::StringArray& arguments);
    void timerCallback() override;

    juce::OwnedArray<juce::ChildProcess> running;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FileManagerLauncher)
};
} // namespace vantor::browse
