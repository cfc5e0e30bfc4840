#pragma once

#include "QuitSignals.h"
#include "SingleInstance.h"

#include <juce_gui_extra/juce_gui_extra.h>

/** The desktop program's application object: one instance per user and data folder, a splash
    screen for at least 2 s, then the main window; at the end the usage statistics, the updater
    and the main window are shut down in order.

    A quit request (close button, File > Exit, the session ending, SIGTERM, SIGHUP or SIGINT) while a file
   operation runs first cancels it as its Cancel button does and quits only once the worker has ended, so no
    drive, archive or data folder is left half-written and no thread is killed.
    Threads: everything here runs on the message thread. */
class DunmoorApplication : public juce::JUCEApplication, private juce::ComponentListener
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

    DunmoorApplication();
    ~DunmoorApplication() override;

    const juce::String getApplicationName() override;
    const juce::String getApplicationVersion() override;
    /** JUCE's own guard is one lock file shared by every user, and its hand-over never arrives on
        Linux: SingleInstance does the job per user and data folder instead. */
    bool moreThanOneInstanceAllowed() override { return true; }

    void initialise (const juce::String& commandLine) override;
    void shutdown() override;
    void anotherInstanceStarted (const juce::String& commandLine) override;
    void systemRequestedQuit() override;

    MainWindow* getMainWindow() const noexcept { return mainWindow.get(); }

    static constexpr int minimumWidth = 1280;
    static constexpr int minimumHeight = 800;
    static constexpr double splashSeconds = 2.0;

private:
    class QuitAfterWorker;

    void componentBeingDeleted (juce::Component& component) override;
    void showMainWindow();
    void bringMainWindowToFront();

    juce::SplashScreen* splash = nullptr; // deletes itself
    std::unique_ptr<MainWindow> mainWindow;
    std::unique_ptr<SingleInstance> singleInstance;
    std::unique_ptr<QuitAfterWorker> quitAfterWorker;
    std::unique_ptr<QuitSignals> quitSignals;
    bool isSecondStart = false;
    bool attentionWanted = false; // a second start came while the splash was up
};
