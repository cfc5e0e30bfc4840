#pragma once

#include "vantor/dataset/JobProgress.h"

#include <functional>

namespace vantor::dataset
{
/** Runs a function on the message thread and waits for it, from a worker that must stay
    cancellable: while it waits it polls the job's cancel flag, and once that is set the call is
    dropped if it has not started yet. Called on the message thread itself, it runs the function at
    once.

    Threads: run is called by a worker (or the message thread); the function runs on the message
    thread; the call's state is shared under a lock between the two. */
class MessageThreadCall
{
public:
    /** True when the function ran; false when the job was cancelled first (it then never runs) or
        no message loop exists. */
    static bool run (JobProgress* progress, std::function<void()> function);

private:
    MessageThreadCall() = delete;
};
} // namespace vantor::dataset
