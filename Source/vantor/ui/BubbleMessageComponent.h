#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace vantor::ui
{
/** The bubble of one user message: fills its host, shows a laid-out text for a while, fades out
    and then sends a change message so that its owner can show the next one. A red background
    (an error) adds the warning sign at the left. Clicks never dismiss it.

    Threads: message thread only. */
class BubbleMessageComponent : public juce::Component, private juce::Timer, public juce::ChangeBroadcaster
{
public:
    BubbleMessageComponent();
    ~BubbleMessageComponent() override;

    /** Shows the bubble for the time; 0 or less keeps it until hide. */
    void showFor (int milliseconds);
    void hide (bool fadeOut);

    /** The text to draw; its owner lays it out before showFor. */
    juce::TextLayout& getTextLayout() noexcept { return textLayout; }

    /** The time given to the last showFor. */
    int getDisplayMs() const noexcept { return displayMs; }

    void paint (juce::Graphics& g) override;

private:
    void timerCallback() override;

    const int fadeOutMs = 150;
    int clickCounterAtShow = 0;
    juce::TextLayout textLayout;
    juce::uint32 shownAt = 0;
    std::unique_ptr<juce::Drawable> warningIcon;
    int displayMs = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BubbleMessageComponent)
};
} // namespace vantor::ui
