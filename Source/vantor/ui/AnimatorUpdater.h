#pragma once

#include "vantor/ui/ValueAnimator.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>
#include <vector>

namespace vantor::ui
{
/** Drives value animators on the vertical blank of a component's display. On Linux the vertical
    blank is a JUCE timer (about 96 calls per second) that never fires for a component without a
    window, so the clock is injectable and update() can be called by hand: tests give a clock they
    advance themselves and call update().

    Removing an animator cancels its completion callback; an animator that finishes is removed
    and then its completion callback runs (which may add a new animator).

    Threads: message thread only. */
class AnimatorUpdater
{
public:
    using Clock = std::function<double()>; // milliseconds, steady

    /** The component outlives the updater (it is normally the updater's owner). */
    explicit AnimatorUpdater (juce::Component* component);
    ~AnimatorUpdater();

    /** An empty clock restores the real one (Time::getMillisecondCounterHiRes). */
    void setClock (Clock newClock);
    double now() const;

    /** Adds (or re-adds, replacing its completion) an animator; nothing happens until update. */
    void addAnimator (const ValueAnimator& animator, std::function<void()> onComplete = {});

    /** Removes it; its completion callback given here is never called. */
    void removeAnimator (const ValueAnimator& animator);

    bool isEmpty() const noexcept { return entries.empty(); }

    /** Advances every animator to now(); the vertical blank calls it. */
    void update();

private:
    struct Entry
    {
        ValueAnimator animator;
        std::function<void()> onComplete;
    };

    Clock clock;
    std::vector<Entry> entries;
    juce::VBlankAttachment vblank;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AnimatorUpdater)
};
} // namespace vantor::ui
