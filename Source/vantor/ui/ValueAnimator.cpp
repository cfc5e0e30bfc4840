#include "vantor/ui/ValueAnimator.h"

#include <cmath>

namespace vantor::ui
{
struct ValueAnimator::State
{
    Options options;
    bool running = false;
    bool complete = false;
    bool waitingForFirstUpdate = false;
    double startMs = 0.0;

    void finish()
    {
        running = false;
        complete = true;

        // Copies, so that a callback may drop the last handle of this animation.
        auto onValue = options.onValue;
        auto onComplete = options.onComplete;

        if (onValue)
            onValue (1.0);

        if (onComplete)
            onComplete();
    }
};

ValueAnimator::ValueAnimator()
    : ValueAnimator (Options{})
{
}

ValueAnimator::ValueAnimator (Options options)
    : state (std::make_shared<State>())
{
    if (!options.easing)
        options.easing = linear();

    state->options = std::move (options);
}

void ValueAnimator::start()
{
    state->running = true;
    state->complete = false;
    state->waitingForFirstUpdate = true;
}

void ValueAnimator::complete()
{
    if (state->running)
        state->finish();
}

bool ValueAnimator::isRunning() const noexcept
{
    return state->running;
}

bool ValueAnimator::isComplete() const noexcept
{
    return state->complete;
}

double ValueAnimator::getDurationMs() const noexcept
{
    return state->options.durationMs;
}

bool ValueAnimator::update (double nowMs)
{
    const auto keep = state; // a callback may drop the owner's handle

    if (!keep->running)
        return false;

    if (keep->waitingForFirstUpdate)
    {
        keep->waitingForFirstUpdate = false;
        keep->startMs = nowMs;
    }

    const auto elapsed = nowMs - keep->startMs;

    if (elapsed >= keep->options.durationMs)
    {
        keep->finish();
        return false;
    }

    const auto progress =
        keep->options.durationMs > 0.0 ? juce::jlimit (0.0, 1.0, elapsed / keep->options.durationMs) : 1.0;

    if (keep->options.onValue)
        keep->options.onValue (keep->options.easing (progress));

    return keep->running;
}

ValueAnimator::Easing ValueAnimator::linear()
{
    return [] (double x) { return x; };
}

ValueAnimator::Easing ValueAnimator::cubicBezier (double x1, double y1, double x2, double y2)
{
    return [=] (double x)
    {
        if (x <= 0.0)
            return 0.0;

        if (x >= 1.0)
            return 1.0;

        const auto curve = [] (double t, double p1, double p2)
        {
            const auto u = 1.0 - t;
            return 3.0 * u * u * t * p1 + 3.0 * u * t * t * p2 + t * t * t;
        };

        // x(t) rises monotonically for control points within 0..1: bisection finds t for x.
        double low = 0.0, high = 1.0, t = x;

        for (int i = 0; i < 60; ++i)
        {
            t = (low + high) * 0.5;

            if (curve (t, x1, x2) < x)
                low = t;
            else
                high = t;
        }

        return curve (t, y1, y2);
    };
}
} // namespace vantor::ui
