#include "vantor/ui/BubbleMessageComponent.h"

#include "vantor/ui/Icons.h"

namespace vantor::ui
{
namespace
{
const juce::Colour errorColour (0xffff0000);
constexpr int timerIntervalMs = 77;
constexpr int iconX = 6;
constexpr int textMargin = 28;
} // namespace

BubbleMessageComponent::BubbleMessageComponent()
{
    if (auto svg = juce::XmlDocument::parse (icons::bubbleWarningIcon))
        warningIcon = juce::Drawable::createFromSVG (*svg);

    jassert (warningIcon != nullptr);
}

BubbleMessageComponent::~BubbleMessageComponent()
{
    juce::Desktop::getInstance().getAnimator().cancelAnimation (this, false);
}

void BubbleMessageComponent::showFor (int milliseconds)
{
    JUCE_ASSERT_MESSAGE_THREAD

    auto& desktop = juce::Desktop::getInstance();
    desktop.getAnimator().cancelAnimation (this, true);

    displayMs = milliseconds;
    setAlpha (1.0f);
    setVisible (true);

    shownAt = juce::Time::getApproximateMillisecondCounter();
    // Far beyond any real count: a click must never take a message away before it was read.
    clickCounterAtShow = desktop.getMouseButtonClickCounter() + 0xfffff;

    startTimer (timerIntervalMs);
    repaint();
}

void BubbleMessageComponent::hide (bool fadeOut)
{
    JUCE_ASSERT_MESSAGE_THREAD

    stopTimer();

    if (fadeOut && isShowing() && fadeOutMs > 0)
        juce::Desktop::getInstance().getAnimator().animateComponent (this, getBounds(), 0.0f, fadeOutMs, true,
                                                                     1.0, 1.0);

    setVisible (false);

    sendChangeMessage();
}

void BubbleMessageComponent::timerCallback()
{
    if (juce::Desktop::getInstance().getMouseButtonClickCounter() > clickCounterAtShow)
        hide (false);
    // Elapsed time as an unsigned difference stays right when the counter wraps (every 49.7 days).
    else if (displayMs > 0 &&
             juce::Time::getApproximateMillisecondCounter() - shownAt > (juce::uint32)displayMs)
        hide (true);
}

void BubbleMessageComponent::paint (juce::Graphics& g)
{
    const auto w = (float)getWidth();
    const auto h = (float)getHeight();
    const auto background = findColour (juce::TooltipWindow::backgroundColourId);

    g.setColour (background);
    g.fillRoundedRectangle (0.0f, 0.0f, w, h, 2.0f);

    g.setColour (findColour (juce::TooltipWindow::outlineColourId));
    g.drawRoundedRectangle (0.5f, 0.5f, juce::jmax (w - 1.0f, 0.0f), juce::jmax (h - 1.0f, 0.0f), 2.0f, 1.0f);

    if (background == errorColour && warningIcon != nullptr)
        warningIcon->drawAt (g, (float)iconX, (h - warningIcon->getHeight()) / 2.0f, 1.0f);

    // The runs carry their own colour; this one only covers text drawn without one.
    g.setColour (findColour (juce::TooltipWindow::textColourId));
    const auto textWidth = juce::jmax (w - 2.0f * textMargin, 0.0f);
    textLayout.draw (g, {(w - textWidth) / 2.0f, 0.0f, textWidth, h});
}
} // namespace vantor::ui
