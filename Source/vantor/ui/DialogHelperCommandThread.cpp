#include "vantor/ui/DialogHelperCommandThread.h"

namespace vantor::ui
{
using CommandThread = DialogHelper::CommandThread;

CommandThread::ProgressWindow::ProgressWindow (const juce::String& title, bool hasCancelButtonToUse,
                                               CommandThread* ownerToUse)
    : juce::ThreadWithProgressWindow (title, true, hasCancelButtonToUse, 10000, {}, nullptr)
    , hasCancelButton (hasCancelButtonToUse)
    , owner (ownerToUse)
    , state (std::make_shared<SharedState>())
{
    state->title = title;
}

CommandThread::ProgressWindow::~ProgressWindow()
{
    JUCE_ASSERT_MESSAGE_THREAD

    // Without a time-out: run returns within one poll once its flag is set, and a thread that is
    // killed instead would leave its lock or its caller's job in an unknown state.
    stopThread (-1);
}

void CommandThread::ProgressWindow::setStatus (const juce::String& text)
{
    setStatusMessage (text);
    const juce::ScopedLock sl (statusLock);

    if (statusHistory.isEmpty() || statusHistory[statusHistory.size() - 1] != text)
        statusHistory.add (text);
}

juce::StringArray CommandThread::ProgressWindow::getStatusHistory() const
{
    const juce::ScopedLock sl (statusLock);
    return statusHistory;
}

void CommandThread::ProgressWindow::run()
{
    if (cancelRequested)
    {
        cancelRequested = false;

        // The relaunch cleared the exit flag; the job must keep seeing the cancel.
        signalThreadShouldExit();

        while (owner->isThreadRunning())
        {
            setStatus (TRANS ("Canceling..."));
            wait (pollMs);
        }

        return;
    }

    setProgress (hasCancelButton ? 0.0 : -1.0);
    setStatus (TRANS ("Processing..."));

    do
        wait (pollMs);
    while (!threadShouldExit());

    if (hasCancelButton)
        return;

    setProgress (-1.0);
    setStatus (TRANS ("Completed."));
    wait (1000);
}

void CommandThread::ProgressWindow::threadComplete (bool userPressedCancel)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (!userPressedCancel)
    {
        if (state->succeeded.load() && !state->cancelled.load())
            DialogHelper::showCompletionBox (state->title); // may replace (delete) nothing of ours

        return;
    }

    state->cancelled = true;
    cancelRequested = true;

    // The window's only button is Cancel; disabled, it takes neither Escape nor Return.
    if (auto* alert = getAlertWindow())
        for (auto* child : alert->getChildren())
            if (auto* button = dynamic_cast<juce::Button*> (child))
                button->setEnabled (false);

    launchThread();
}

//==============================================================================
CommandThread::CommandThread (const juce::String& title, Job jobToRun, bool hasCancelButton,
                              const juce::String& message)
    : juce::Thread ("CommandThread")
{
    JUCE_ASSERT_MESSAGE_THREAD
    progressWindow = std::make_unique<ProgressWindow> (title, hasCancelButton, this);

    if (message.isNotEmpty())
        progressWindow->getAlertWindow()->addTextBlock (message);

    progressWindow->setStatus (TRANS ("Preparing..."));
    job = std::move (jobToRun);
    progressWindow->launchThread();
    startThread();
}

CommandThread::~CommandThread()
{
    JUCE_ASSERT_MESSAGE_THREAD

    // Never killed: a killed job would leave a half-written archive or unit folder. Both flags
    // stop the data side's loops, and its calls onto the message thread give up once they are
    // set, so waiting here cannot deadlock.
    signalThreadShouldExit();
    progressWindow->signalThreadShouldExit();
    waitForThreadToExit (-1);

    job = nullptr;
    progressWindow.reset();
}

void CommandThread::cancel()
{
    JUCE_ASSERT_MESSAGE_THREAD

    // The progress window takes a window that stopped being modal while its thread runs for the
    // user's Cancel: closing it here takes exactly that path.
    if (isThreadRunning() && !progressWindow->wasCancelled())
        if (auto* alert = progressWindow->getAlertWindow();
            alert != nullptr && alert->isCurrentlyModal (false))
            alert->exitModalState (0);
}

void CommandThread::run()
{
    if (job)
        job (progressWindow.get());

    progressWindow->signalThreadShouldExit();
}
} // namespace vantor::ui
