#pragma once

#include "vantor/dataset/JobProgress.h"

namespace juce
{
class ThreadWithProgressWindow;
}

namespace vantor::service
{
/** The toolkit's progress window seen as the data set's job progress: its thread-exit flag is the
    cancel signal and its bar shows the value. Null gives a progress that never cancels and shows
    nothing. Threads: used by the worker that runs the job; the window outlives it. */
class ProgressWindowJobProgress : public dataset::JobProgress
{
public:
    explicit ProgressWindowJobProgress (juce::ThreadWithProgressWindow* window) noexcept
        : window (window)
    {
    }

    bool threadShouldExit() const override;
    void setProgress (double progress) override;

    /** This, or null for a null window (the data set then polls nothing). */
    dataset::JobProgress* get() noexcept { return window != nullptr ? this : nullptr; }

private:
    juce::ThreadWithProgressWindow* const window;

    JUCE_DECLARE_NON_COPYABLE (ProgressWindowJobProgress)
};
} // namespace vantor::service
