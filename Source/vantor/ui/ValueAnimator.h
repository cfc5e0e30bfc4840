#pragma once

#include <juce_core/juce_core.h>

#include <functional>
#include <memory>

namespace vantor::ui
{
/** One animated value running from 0 to 1 over a duration, through an easing curve. It is a
    handle: copies share one animation, so an owner may keep it while an AnimatorUpdater drives it.
    The animation starts on the first update after start() and finishes on the first update at or
    after its duration, calling onValue with 1 and then onComplete.

    Threads: message thread only. */
class ValueAnimator
{
public:
    using Easing = std::function<double (double)>;

    struct Options
    {
        double durationMs = 300.0;
        Easing easing;                        // empty: linear
        std::function<void (double)> onValue; // the eased value, 0..1
        std::function<void()> onComplete;
    };

    /** An animation of 300 ms that does nothing. */
    ValueAnimator();
    explicit ValueAnimator (Options options);

    /** (Re)starts from 0 at the next update. */
    void start();

    /** Jumps to the end at once: onValue (1), then onComplete. Nothing when not running. */
    void complete();

    bool isRunning() const noexcept;
    bool isComplete() const noexcept;
    double getDurationMs() const noexcept;

    /** Advances to the time (milliseconds of any steady clock); true while still running. */
    bool update (double nowMs);

    bool operator== (const ValueAnimator& other) const noexcept { return state == other.state; }
    bool operator!= (const ValueAnimator& other) const noexcept { return state != other.state; }

    static Easing linear();

    /** The CSS cubic-bezier curve through (0, 0), (x1, y1), (x2, y2), (1, 1). */
    static Easing cubicBezier (double x1, double y1, double x2, double y2);

private:
    struct State;
    std::shared_ptr<State> state;
};
} // namespace vantor::ui
