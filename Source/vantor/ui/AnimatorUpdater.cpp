#include "vantor/ui/AnimatorUpdater.h"

#include <algorithm>

namespace vantor::ui
{
AnimatorUpdater::AnimatorUpdater (juce::Component* component)
    : vblank (component, [this] { update(); })
{
}

AnimatorUpdater::~AnimatorUpdater() = default;

void AnimatorUpdater::setClock (Clock newClock)
{
    clock = std::move (newClock);
}

double AnimatorUpdater::now() const
{
    return clock ? clock() : juce::Time::getMillisecondCounterHiRes();
}

void AnimatorUpdater::addAnimator (const ValueAnimator& animator, std::function<void()> onComplete)
{
    JUCE_ASSERT_MESSAGE_THREAD

    for (auto& entry : entries)
    {
        if (entry.animator == animator)
        {
            entry.onComplete = std::move (onComplete);
            return;
        }
    }

    entries.push_back ({animator, std::move (onComplete)});
}

void AnimatorUpdater::removeAnimator (const ValueAnimator& animator)
{
    JUCE_ASSERT_MESSAGE_THREAD

    entries.erase (std::remove_if (entries.begin(), entries.end(),
                                   [&] (const Entry& entry) { return entry.animator == animator; }),
                   entries.end());
}

void AnimatorUpdater::update()
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (entries.empty())
        return;

    const auto time = now();

    // A callback may add or remove animators: work on a copy and look each one up again.
    const auto snapshot = entries;

    for (const auto& entry : snapshot)
    {
        const auto stillHere = std::find_if (entries.begin(), entries.end(),
                                             [&] (const Entry& e) { return e.animator == entry.animator; });

        if (stillHere == entries.end())
            continue;

        auto animator = entry.animator;

        if (animator.update (time) || !animator.isComplete())
            continue;

        // Finished: it leaves first, so its completion may add it (or another) again.
        auto onComplete = std::move (stillHere->onComplete);
        entries.erase (stillHere);

        if (onComplete)
            onComplete();
    }
}
} // namespace vantor::ui
