#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The desktop program's application object: starts the main window and shuts it down in order.
// Everything here runs on the message thread.
class DunmoorApplication : public juce::JUCEApplication
{
public:
    class MainWindow : public juce::DocumentWindow
    {
    public:
        explicit MainWindow (const juce::String& name);

        void closeButtonPressed() override;

    private:
        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainWindow)
    };

    DunmoorApplication() = default;

    const juce::String getApplicationName() override;
    const juce::String getApplicationVersion() override;
    bool moreThanOneInstanceAllowed() override { return false; }

    void initialise (const juce::String& commandLine) override;
    void shutdown() override;
    void anotherInstanceStarted (const juce::String& commandLine) override;
    void systemRequestedQuit() override;

    static constexpr int minimumWidth = 1280;
    static constexpr int minimumHeight = 800;

private:
    std::unique_ptr<MainWindow> mainWindow;
};
