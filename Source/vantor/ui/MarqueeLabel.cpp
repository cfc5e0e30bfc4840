#include "vantor/ui/MarqueeLabel.h"

#include <cmath>

namespace vantor::ui
{
MarqueeLabel::MarqueeLabel()
    : updater (this)
{
}

MarqueeLabel::~MarqueeLabel()
{
    stopTimer();
    updater.removeAnimator (animator);
}

void MarqueeLabel::stopMarquee()
{
    stopTimer();
    passCount = 0;
    offset = 0;
    overflow = 0;
    distance = 0;
    repaint();
    updater.removeAnimator (animator);
}

void MarqueeLabel::restartMarquee()
{
    stopMarquee();
    startTimer (pauseMs);
}

int MarqueeLabel::textWidth (const juce::String& text) const
{
    const auto font = getLookAndFeel().getLabelFont (const_cast<MarqueeLabel&> (*this));
    return (int)std::ceil (font.getStringWidthFloat (text));
}

void MarqueeLabel::timerCallback()
{
    stopTimer();

    const auto border = getLookAndFeel().getLabelBorderSize (*this);
    const int innerWidth = getWidth() - border.getLeft() - border.getRight();

    overflow = textWidth (getText()) - innerWidth;

    if (overflow < 1)
        return;

    // One pass moves the text by one period of "text, separator, text": the second copy then
    // stands where the first began, so the jump back to 0 is not seen.
    distance = textWidth (separator) + innerWidth + overflow;

    updater.removeAnimator (animator);

    ValueAnimator::Options options;
    options.durationMs = (double)(msPerPixel * distance);
    options.easing = ValueAnimator::linear();
    options.onValue = [this] (double value)
    {
        offset = juce::roundToInt (distance * juce::jlimit (0.0, 1.0, value));
        repaint();
    };

    animator = ValueAnimator (std::move (options));
    updater.addAnimator (animator, [this] { passCompleted(); });
    animator.start();
}

void MarqueeLabel::passCompleted()
{
    if (++passCount >= passesPerCycle)
    {
        stopMarquee();
        return;
    }

    offset = 0;
    repaint();
    startTimer (pauseMs);
}

void MarqueeLabel::paint (juce::Graphics& g)
{
    auto& lf = getLookAndFeel();
    g.fillAll (findColour (juce::Label::backgroundColourId));

    const auto* parentComponent = getParentComponent();
    const bool disabled = !isEnabled() || (parentComponent != nullptr && !parentComponent->isEnabled());
    const float alpha = disabled ? 0.5f : 1.0f;

    if (!isBeingEdited())
    {
        g.setColour (findColour (juce::Label::textColourId).withMultipliedAlpha (alpha));
        g.setFont (lf.getLabelFont (*this));

        const auto border = lf.getLabelBorderSize (*this);
        const auto textArea = border.subtractedFrom (getLocalBounds());

        juce::Graphics::ScopedSaveState saved (g);
        g.reduceClipRegion (textArea);

        const auto text = getText();
        const auto loop = text + separator + text;
        const auto shown = overflow >= 1 ? loop : text;
        g.drawText (shown,
                    juce::Rectangle<int> (textArea.getX() - offset, textArea.getY(), textWidth (loop),
                                          textArea.getHeight()),
                    getJustificationType(), false);
    }

    const auto outline = findColour (juce::Label::outlineColourId);
    g.setColour (isBeingEdited() && isEnabled() ? outline : outline.withMultipliedAlpha (alpha));
    g.drawRect (getLocalBounds());
}

void MarqueeLabel::textWasEdited()
{
    restartMarquee();
}

void MarqueeLabel::textWasChanged()
{
    restartMarquee();
}

void MarqueeLabel::editorShown (juce::TextEditor*)
{
    stopMarquee();
}

void MarqueeLabel::editorAboutToBeHidden (juce::TextEditor*)
{
    restartMarquee();
}
} // namespace vantor::ui
