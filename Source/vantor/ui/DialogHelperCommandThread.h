#pragma once

#include "vantor/ui/DialogHelper.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <functional>
#include <memory>

namespace vantor::ui
{
/** The worker of the long file operations (export, import, backup, restore): runs one job on the
    thread "CommandThread" while a modal progress window shows the title, a status line, a bar, an
    optional note under the status and a Cancel button. The progress window is the job's cancel
    channel: the job gets it as a juce::ThreadWithProgressWindow* and polls its threadShouldExit().

    Success: the job calls DialogHelper::notifyCommandCompleted, which only marks it; when the
    window has closed (after its current wait), the "Completed." box takes its place. (Hiding the
    window earlier would end its modal state, which the toolkit takes for the user's Cancel.)

    Cancel: the toolkit stops the progress thread and hides the window; threadComplete(true) marks
    the cancel, disables Cancel and launches the window again, whose run keeps its exit flag set and
    shows "Canceling..." until the worker ends. No "Completed." box follows a cancel.

    The worker is never killed: the destructor sets the worker's and the progress window's exit
    flags and waits for the job without a time-out. The data side stops on either flag
    (dataset::JobProgress::shouldStop), and dataset::MessageThreadCall gives up once it is set, so
    the wait cannot deadlock on the message thread.

    Threads: constructed and destroyed on the message thread; run is the worker; the progress
    window's run is its own thread; threadComplete runs on the message thread. cancelled is the
    one flag read across threads (atomic, shared with posted messages). */
class DialogHelper::CommandThread : public juce::Thread
{
public:
    using Job = std::function<void (juce::ThreadWithProgressWindow*)>;

    class ProgressWindow : public juce::ThreadWithProgressWindow
    {
    public:
        /** What the worker and the window tell each other across threads: whether the user
            cancelled and whether the job succeeded. No thread reads a component to find out. */
        struct SharedState
        {
            std::atomic<bool> cancelled{false};
            std::atomic<bool> succeeded{false}; // the job reported success
            juce::String title;                 // fixed at construction
        };

        ProgressWindow (const juce::String& title, bool hasCancelButton, CommandThread* owner);
        ~ProgressWindow() override;

        void run() override;
        void threadComplete (bool userPressedCancel) override;

        bool wasCancelled() const noexcept { return state->cancelled.load(); }

        /** Sets the status line (any thread) and keeps it, for the window cannot tell it. */
        void setStatus (const juce::String& text);

        /** Every status shown so far, in order, repeats left out. */
        juce::StringArray getStatusHistory() const;
        std::shared_ptr<SharedState> getSharedState() const { return state; }

    private:
        const bool hasCancelButton;
        CommandThread* const owner;   // owns this window
        bool cancelRequested = false; // written on the message thread before the thread (re)starts
        std::shared_ptr<SharedState> state;
        juce::CriticalSection statusLock;
        juce::StringArray statusHistory; // guarded by statusLock

        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ProgressWindow)
    };

    /** Shows the window (modal, status "Preparing...") and starts the job at once. */
    CommandThread (const juce::String& title, Job job, bool hasCancelButton, const juce::String& message);
    ~CommandThread() override;

    void run() override;

    /** Cancels as the Cancel button does (the window's next check finds it closed, disables
        Cancel and shows "Canceling..." until the job has returned; no "Completed." box). Nothing
        when the job has ended or was cancelled already. Message thread. */
    void cancel();

    ProgressWindow& getProgressWindow() noexcept { return *progressWindow; }

    /** How often ProgressWindow::run looks at its exit flag. */
    static constexpr int pollMs = 500;

private:
    std::unique_ptr<ProgressWindow> progressWindow;
    Job job;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CommandThread)
};
} // namespace vantor::ui
