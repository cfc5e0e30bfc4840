#pragma once

#include <juce_core/juce_core.h>

namespace vantor::dataset
{
/** What a whole-set operation needs of the progress window it runs behind: the cancel flag and the
    bar. The service adapts the toolkit's progress window to this, so the data set builds and tests
    without any window.

    Threads: both are called from the operation's worker thread; the cancel flag is set from others. */
class JobProgress
{
public:
    virtual ~JobProgress() = default;

    /** True once the user (or the program's shut-down) asked the job to stop. */
    virtual bool threadShouldExit() const = 0;
    /** 0.0 .. 1.0. */
    virtual void setProgress (double progress) = 0;

    /** True when the job should stop: the progress window's flag, or the exit flag of the JUCE
        thread the job runs on (a worker being stopped at shut-down). A null progress never
        cancels on its own. */
    static bool shouldStop (const JobProgress* progress)
    {
        if (progress != nullptr && progress->threadShouldExit())
            return true;

        auto* thread = juce::Thread::getCurrentThread();
        return thread != nullptr && thread->threadShouldExit();
    }

    static void report (JobProgress* progress, double value)
    {
        if (progress != nullptr)
            progress->setProgress (juce::jlimit (0.0, 1.0, value));
    }
};
} // namespace vantor::dataset
