#pragma once

#include "vantor/ui/AnimatorUpdater.h"
#include "vantor/ui/ValueAnimator.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace vantor::ui
{
/** A label that, when its text is wider than itself, scrolls the text to the left as a seamless
    loop (text, four spaces, text): five passes of 17 ms per pixel, each after a pause of 1000 ms,
    then it rests at its start until the text changes or an edit ends. An open editor stops it.
    Base of the editable name cells of the program's tables.

    The scrolling is driven by the display's vertical blank through getAnimatorUpdater(), whose
    clock tests may replace; the 1000 ms pauses are the label's own timer.

    Threads: message thread only. */
class MarqueeLabel : public juce::Label, public juce::Timer
{
public:
    MarqueeLabel();
    ~MarqueeLabel() override;

    /** Stops scrolling and puts the text back at its start. */
    void stopMarquee();

    /** stopMarquee, then a new cycle of passes after a pause of 1000 ms. */
    void restartMarquee();

    void paint (juce::Graphics&) override;
    void timerCallback() override;

    int getPassCount() const noexcept { return passCount; }
    int getOffset() const noexcept { return offset; }
    int getOverflow() const noexcept { return overflow; }
    int getDistance() const noexcept { return distance; }
    AnimatorUpdater& getAnimatorUpdater() noexcept { return updater; }
    const ValueAnimator& getAnimator() const noexcept { return animator; }

    static constexpr int pauseMs = 1000;
    static constexpr int passesPerCycle = 5;

protected:
    void textWasEdited() override;
    void textWasChanged() override;
    void editorShown (juce::TextEditor*) override;
    void editorAboutToBeHidden (juce::TextEditor*) override;

    /** The width of a text in the label's font, rounded up to a whole pixel. */
    virtual int textWidth (const juce::String& text) const;

private:
    void passCompleted();

    ValueAnimator animator;
    AnimatorUpdater updater;
    int passCount = 0;
    int offset = 0;
    int overflow = 0;
    int distance = 0;
    const char* separator = "    ";
    int msPerPixel = 17;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MarqueeLabel)
};
} // namespace vantor::ui
