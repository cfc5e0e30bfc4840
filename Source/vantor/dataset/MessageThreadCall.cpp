#include "vantor/dataset/MessageThreadCall.h"

#include <juce_events/juce_events.h>

#include <memory>
#include <mutex>

namespace vantor::dataset
{
namespace
{
struct PendingCall
{
    std::mutex lock;
    bool abandoned = false;
    bool done = false;
    juce::WaitableEvent finished;
    std::function<void()> function;
};
} // namespace

bool MessageThreadCall::run (JobProgress* progress, std::function<void()> function)
{
    if (juce::MessageManager::existsAndIsCurrentThread())
    {
        function();
        return true;
    }

    auto call = std::make_shared<PendingCall>();
    call->function = std::move (function);

    const bool posted = juce::MessageManager::callAsync (
        [call]
        {
            const std::lock_guard<std::mutex> guard (call->lock);

            if (call->abandoned)
                return;

            call->function();
            call->done = true;
            call->finished.signal();
        });

    if (!posted)
        return false;

    // Never an endless wait: at shut-down the message loop may be gone while the worker is stopped.
    while (!call->finished.wait (50))
    {
        if (JobProgress::shouldStop (progress))
        {
            const std::lock_guard<std::mutex> guard (call->lock);

            if (call->done)
                return true;

            call->abandoned = true;
            return false;
        }
    }

    return true;
}
} // namespace vantor::dataset
