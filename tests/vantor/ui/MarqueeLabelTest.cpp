#include "vantor/ui/MarqueeLabel.h"

#include <gmock/gmock.h>

namespace
{
// Text widths of a label whose font is known: the text 200 px, the four spaces 12 px.
class FixedWidthLabel : public vantor::ui::MarqueeLabel
{
public:
    FixedWidthLabel()
    {
        getAnimatorUpdater().setClock ([this] { return nowMs; });
    }

    int textWidth (const juce::String& text) const override
    {
        if (text == "    ")
            return 12;

        if (text == getText())
            return textPixels;

        return 2 * textPixels + 12; // text, separator, text
    }

    // The pause between passes is the label's own timer: fired by hand, as the clock is.
    void firePause()
    {
        ASSERT_TRUE (isTimerRunning());
        ASSERT_EQ (getTimerInterval(), 1000);
        static_cast<juce::Timer&> (*this).timerCallback();
    }

    void advanceTo (double ms)
    {
        nowMs = ms;
        getAnimatorUpdater().update();
    }

    double nowMs = 0.0;
    int textPixels = 200;
};

// 160 px wide less the label's border of 5 + 5: an inner width of 150.
void setUp (FixedWidthLabel& label, int textPixels)
{
    label.setSize (160, 24);
    label.textPixels = textPixels;
    label.setText ("name", juce::dontSendNotification);
    label.restartMarquee();
}

TEST (MarqueeLabel, OnePassMovesOnePeriodIn17MsPerPixelAndFivePassesEndAtRest)
{
    FixedWidthLabel label;
    setUp (label, 200);

    double t = 1000.0;

    for (int pass = 1; pass <= 5; ++pass)
    {
        SCOPED_TRACE (pass);
        label.firePause();
        EXPECT_EQ (label.getOverflow(), 50);
        EXPECT_EQ (label.getDistance(), 212);
        EXPECT_EQ (label.getAnimator().getDurationMs(), 3604.0);

        label.advanceTo (t); // the pass starts at the first vertical blank
        EXPECT_EQ (label.getOffset(), 0);
        label.advanceTo (t + 1802);
        EXPECT_EQ (label.getOffset(), 106);
        label.advanceTo (t + 3603.9);
        EXPECT_EQ (label.getOffset(), 212); // the second copy stands where the first began
        EXPECT_EQ (label.getPassCount(), pass - 1);

        label.advanceTo (t + 3604);
        t += 3604 + 1000;

        if (pass < 5)
        {
            EXPECT_EQ (label.getPassCount(), pass);
            EXPECT_EQ (label.getOffset(), 0);
            EXPECT_TRUE (label.isTimerRunning()); // the pause before the next pass
        }
    }

    EXPECT_EQ (label.getOffset(), 0);
    EXPECT_EQ (label.getPassCount(), 0);
    EXPECT_FALSE (label.isTimerRunning());
    EXPECT_TRUE (label.getAnimatorUpdater().isEmpty());

    label.advanceTo (t + 100000); // and it stays there
    EXPECT_EQ (label.getOffset(), 0);
    EXPECT_FALSE (label.isTimerRunning());

    label.setText ("other", juce::sendNotificationSync); // a new text starts a new cycle
    EXPECT_TRUE (label.isTimerRunning());
}

TEST (MarqueeLabel, TextThatFitsNeverMoves)
{
    for (int pixels : {150, 149, 10})
    {
        SCOPED_TRACE (pixels);
        FixedWidthLabel label;
        setUp (label, pixels);
        label.firePause();
        EXPECT_LT (label.getOverflow(), 1);
        EXPECT_FALSE (label.isTimerRunning());
        EXPECT_TRUE (label.getAnimatorUpdater().isEmpty());
        label.advanceTo (5000);
        EXPECT_EQ (label.getOffset(), 0);
    }
}

TEST (MarqueeLabel, OpeningTheEditorStopsItAndClosingItRestarts)
{
    FixedWidthLabel label;
    label.setEditable (false, true, false);
    setUp (label, 200);
    label.firePause();
    label.advanceTo (0);
    label.advanceTo (1000);
    ASSERT_GT (label.getOffset(), 0);

    label.showEditor();
    ASSERT_TRUE (label.isBeingEdited());
    EXPECT_EQ (label.getOffset(), 0);
    EXPECT_FALSE (label.isTimerRunning());
    EXPECT_TRUE (label.getAnimatorUpdater().isEmpty());
    label.advanceTo (3000);
    EXPECT_EQ (label.getOffset(), 0);

    label.hideEditor (true);
    EXPECT_TRUE (label.isTimerRunning());
}

// With a real font the label draws the looped text shifted by the offset, clipped to its border.
TEST (MarqueeLabel, DrawsTheShiftedLoopInsideItsBorder)
{
    vantor::ui::MarqueeLabel label;
    double now = 0.0;
    label.getAnimatorUpdater().setClock ([&] { return now; });
    label.setColour (juce::Label::textColourId, juce::Colours::white);
    label.setColour (juce::Label::outlineColourId, juce::Colours::transparentBlack);
    label.setSize (60, 20);
    label.setText ("WWWWWWWWWWWWWWWWWWWWWWWWWWWWW", juce::dontSendNotification);
    label.restartMarquee();
    static_cast<juce::Timer&> (label).timerCallback();
    ASSERT_GT (label.getOverflow(), 0);

    const auto before = label.createComponentSnapshot (label.getLocalBounds(), false);
    now = 1.0;
    label.getAnimatorUpdater().update();
    now = label.getAnimator().getDurationMs() / 2;
    label.getAnimatorUpdater().update();
    ASSERT_GT (label.getOffset(), 0);
    const auto during = label.createComponentSnapshot (label.getLocalBounds(), false);

    // Nothing in the border; the text has moved.
    for (int y = 0; y < 20; ++y)
        for (int x : {0, 1, 2, 3, 57, 58, 59})
            EXPECT_LT (during.getPixelAt (x, y).getBrightness(), 0.2f) << x << "," << y;

    bool differs = false;
    for (int y = 0; y < 20 && !differs; ++y)
        for (int x = 5; x < 55 && !differs; ++x)
            differs = before.getPixelAt (x, y) != during.getPixelAt (x, y);

    EXPECT_TRUE (differs);
}
} // namespace
