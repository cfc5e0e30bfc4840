#include "vantor/ui/ValueAnimator.h"
#include "vantor/ui/AnimatorUpdater.h"

#include <gmock/gmock.h>

namespace
{
using vantor::ui::AnimatorUpdater;
using vantor::ui::ValueAnimator;

struct Recorder
{
    std::vector<double> values;
    int completions = 0;

    ValueAnimator make (double durationMs, ValueAnimator::Easing easing = {})
    {
        ValueAnimator::Options options;
        options.durationMs = durationMs;
        options.easing = std::move (easing);
        options.onValue = [this] (double v) { values.push_back (v); };
        options.onComplete = [this] { ++completions; };
        return ValueAnimator (std::move (options));
    }
};

struct Clocked
{
    juce::Component owner;
    AnimatorUpdater updater{&owner};
    double now = 0.0;

    Clocked()
    {
        updater.setClock ([this] { return now; });
    }

    void at (double ms)
    {
        now = ms;
        updater.update();
    }
};

TEST (ValueAnimator, RunsFromTheFirstUpdateToItsDurationThenCompletesOnce)
{
    Clocked c;
    Recorder r;
    auto animator = r.make (400);
    int updaterCompletions = 0;
    c.updater.addAnimator (animator, [&] { ++updaterCompletions; });
    animator.start();

    c.at (1000); // the start
    c.at (1100);
    c.at (1300);
    c.at (1400);
    c.at (1500);

    EXPECT_THAT (r.values, ::testing::ElementsAre (0.0, 0.25, 0.75, 1.0));
    EXPECT_EQ (r.completions, 1);
    EXPECT_EQ (updaterCompletions, 1);
    EXPECT_TRUE (animator.isComplete());
    EXPECT_TRUE (c.updater.isEmpty());
}

TEST (ValueAnimator, RemovingCancelsTheUpdatersCompletion)
{
    Clocked c;
    Recorder r;
    auto animator = r.make (100);
    int updaterCompletions = 0;
    c.updater.addAnimator (animator, [&] { ++updaterCompletions; });
    animator.start();
    c.at (0);
    c.at (50);
    c.updater.removeAnimator (animator);
    c.at (500);

    EXPECT_EQ (updaterCompletions, 0);
    EXPECT_THAT (r.values, ::testing::ElementsAre (0.0, 0.5));
    EXPECT_TRUE (c.updater.isEmpty());
}

// A completion may start the next animation on the same updater (the label's next pass, the
// browser's next slide) and an animator's callbacks may drop the owner's handle.
TEST (ValueAnimator, CompletionMayAddTheNextAnimation)
{
    Clocked c;
    Recorder first, second;
    auto a = first.make (100);
    auto b = second.make (100);

    c.updater.addAnimator (a,
                           [&]
                           {
                               c.updater.addAnimator (b);
                               b.start();
                               a = ValueAnimator(); // the handle the owner kept
                           });
    a.start();
    c.at (0);
    c.at (100);
    c.at (150);
    c.at (250);

    EXPECT_EQ (first.completions, 1);
    EXPECT_THAT (second.values, ::testing::ElementsAre (0.0, 1.0));
    EXPECT_EQ (second.completions, 1);
}

TEST (ValueAnimator, CompleteJumpsToTheEnd)
{
    Recorder r;
    auto animator = r.make (1000);
    animator.complete(); // not running: nothing
    EXPECT_TRUE (r.values.empty());

    animator.start();
    animator.update (0);
    animator.complete();
    EXPECT_THAT (r.values, ::testing::ElementsAre (0.0, 1.0));
    EXPECT_EQ (r.completions, 1);
    EXPECT_FALSE (animator.isRunning());
}

// The browser's slide: CSS cubic-bezier (0.65, 0, 0.35, 1), symmetric about the middle.
TEST (ValueAnimator, CubicBezierEasingMatchesTheCurve)
{
    const auto ease = ValueAnimator::cubicBezier (0.65, 0, 0.35, 1);
    const std::pair<double, double> points[] = {
        {0.0, 0.0}, {1.0, 1.0}, {0.5, 0.5}, {-1.0, 0.0}, {2.0, 1.0},
    };

    for (const auto& [x, y] : points)
        EXPECT_NEAR (ease (x), y, 1e-6) << x;

    for (int i = 1; i < 10; ++i)
    {
        const double x = i * 0.05;
        EXPECT_NEAR (ease (x) + ease (1.0 - x), 1.0, 1e-6) << x;
        EXPECT_LT (ease (x), x) << x; // slow start
        EXPECT_LE (ease (x), ease (x + 0.05));
    }

    // A point of the curve computed by hand: t = 0.5 gives x = 0.5, y = 0.5; t = 0.25 gives
    // x = 3 (0.75)^2 (0.25)(0.65) + 3 (0.75)(0.0625)(0.35) + 0.015625 = 0.3390625 and
    // y = 3 (0.75)(0.0625) + 0.015625 = 0.15625.
    EXPECT_NEAR (ease (0.3390625), 0.15625, 1e-6);
    EXPECT_NEAR (ValueAnimator::linear() (0.3), 0.3, 1e-12);
}
} // namespace
