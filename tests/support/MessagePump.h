#pragma once

#include <juce_events/juce_events.h>

#include <functional>

namespace glorvak::test
{
// Runs the message loop until the condition holds or the time-out passes; returns the condition.
inline bool pumpMessagesUntil (const std::function<bool()>& condition, int timeoutMs = 10000)
{
    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32)timeoutMs;

    while (!condition())
    {
        if (juce::Time::getMillisecondCounter() > deadline)
            return condition();

        juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
    }

    return true;
}
} // namespace glorvak::test
