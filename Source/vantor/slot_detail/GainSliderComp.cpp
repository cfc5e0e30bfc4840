#include "vantor/slot_detail/GainSliderComp.h"

#include "vantor/slot_detail/StepButton.h"

namespace vantor::slot_detail
{
double GainSliderComp::Slider::getValueFromText (const juce::String& text)
{
    if (!text.containsOnly ("-0123456789."))
        return getValue();

    return juce::Slider::getValueFromText (text);
}

juce::String GainSliderComp::Slider::getTextFromValue (double value)
{
    if (textFromValueFunction != nullptr)
        return textFromValueFunction (value);

    const auto decimals = getNumDecimalPlacesToDisplay();

    if (decimals >= 1)
        return juce::String (value, decimals);

    return juce::String (juce::roundToInt (value));
}

//==============================================================================
void GainSliderComp::LookAndFeel::drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height,
                                                    float sliderPos, float startAngle, float endAngle,
                                                    juce::Slider& slider)
{
    const auto radius = (float)juce::jmax (width / 2, height / 2) - 2.0f;
    const auto centreX = (float)x + radius + 1.0f;
    const auto centreY = (float)y + radius;
    const juce::Rectangle<float> square ((float)x + 1.0f, (float)y, radius * 2.0f, radius * 2.0f);

    juce::Path ring;
    ring.addPieSegment (square, startAngle, endAngle, 0.8f);
    g.setColour (slider.findColour (juce::Slider::rotarySliderOutlineColourId));
    g.fillPath (ring);

    const auto angle = startAngle + sliderPos * (endAngle - startAngle);

    if (slider.isEnabled())
    {
        // The arc grows from 0 dB at the top: left for cuts, right for boosts.
        juce::Path arc;
        arc.addPieSegment (square, startAngle + (endAngle - startAngle) * 0.5f, angle, 0.8f);
        g.setColour (slider.findColour (juce::Slider::rotarySliderFillColourId));
        g.fillPath (arc);
    }

    juce::Path pointer;
    pointer.addRectangle (-1.0f, -radius, 2.0f, radius * 0.3f);
    g.setColour (slider.findColour (juce::Slider::thumbColourId));
    g.fillPath (pointer, juce::AffineTransform::rotation (angle).translated (centreX, centreY));

    g.setFont (juce::Font (10.0f, juce::Font::plain));
    g.setColour (findColour (juce::Slider::textBoxTextColourId));
    g.drawFittedText (slider.getTextValueSuffix(), (width - 40) / 2, (height - 14) / 2 + 16, 40, 13,
                      juce::Justification::centred, 1);
}

juce::Label* GainSliderComp::LookAndFeel::createSliderTextBox (juce::Slider& slider)
{
    auto* label = vantor::LookAndFeel::createSliderTextBox (slider);
    label->setFont (juce::Font (12.0f, juce::Font::plain));
    return label;
}

juce::Slider::SliderLayout GainSliderComp::LookAndFeel::getSliderLayout (juce::Slider& slider)
{
    juce::Slider::SliderLayout layout;
    layout.sliderBounds = slider.getLocalBounds();
    layout.textBoxBounds = {(slider.getWidth() - 40) / 2, (slider.getHeight() - 14) / 2 + 2, 40, 14};
    return layout;
}

void GainSliderComp::LookAndFeel::drawButtonBackground (juce::Graphics& g, juce::Button& button,
                                                        const juce::Colour& background, bool over, bool down)
{
    vantor::LookAndFeel::drawButtonBackground (g, button, background, over, down);

    auto* drawable = dynamic_cast<juce::DrawableButton*> (&button);

    if (drawable == nullptr || drawable->getCurrentImage() != nullptr)
        return;

    g.setFont ((float)juce::jmin (15, juce::roundToInt ((float)button.getHeight() * 0.8f)));
    g.setColour (button.findColour (juce::DrawableButton::textColourId)
                     .withMultipliedAlpha (button.isEnabled() ? 1.0f : 0.4f));
    g.drawFittedText (button.getButtonText(), button.getLocalBounds(), juce::Justification::centred, 1);
}

//==============================================================================
GainSliderComp::GainSliderComp (const juce::String& componentName)
    : juce::Component (componentName)
{
    increaseButton =
        std::make_unique<juce::DrawableButton> ("+", juce::DrawableButton::ImageOnButtonBackground);
    decreaseButton =
        std::make_unique<juce::DrawableButton> ("-", juce::DrawableButton::ImageOnButtonBackground);

    knob = std::make_unique<Slider>();
    addAndMakeVisible (*knob);
    knob->setSliderStyle (juce::Slider::Rotary);
    knob->setRange (minimumDb, maximumDb, 0.01);
    knob->setDoubleClickReturnValue (true, 0.0, juce::ModifierKeys::altModifier);
    knob->setSkewFactorFromMidPoint (0.0);
    knob->setChangeNotificationOnlyOnRelease (true);
    knob->setTextValueSuffix ("dB");
    knob->setRotaryParameters (juce::MathConstants<float>::pi * 1.25f, juce::MathConstants<float>::pi * 2.75f,
                               true);

    lookAndFeel = std::make_unique<LookAndFeel>();
    knob->setLookAndFeel (lookAndFeel.get());

    for (auto* button : {increaseButton.get(), decreaseButton.get()})
    {
        addAndMakeVisible (*button);
        const auto delta = button == increaseButton.get() ? step : -step;
        setUpStepButton (*button, [this, delta] { stepBy (delta); });
        button->setLookAndFeel (lookAndFeel.get());
    }
}

GainSliderComp::~GainSliderComp()
{
    knob->setLookAndFeel (nullptr);
    increaseButton->setLookAndFeel (nullptr);
    decreaseButton->setLookAndFeel (nullptr);
    decreaseButton.reset();
    increaseButton.reset();
    lookAndFeel.reset();
    knob.reset();
}

void GainSliderComp::stepBy (double delta)
{
    knob->setValue (knob->getValue() + delta, juce::sendNotificationSync);
}

void GainSliderComp::setValue (double gainDb)
{
    knob->setValue (gainDb, juce::dontSendNotification);
}

double GainSliderComp::getValue() const
{
    return knob->getValue();
}

void GainSliderComp::updateTooltips()
{
    knob->setTooltip (TRANS ("Adjust gain"));
    increaseButton->setTooltip (TRANS ("Increase"));
    decreaseButton->setTooltip (TRANS ("Decrease"));
}

void GainSliderComp::paint (juce::Graphics& g)
{
    const auto w = getWidth();
    const auto bottom = knob->getBottom();
    g.setFont (juce::Font (10.0f, juce::Font::plain));
    g.setColour (juce::Colour (0xffaaaaaa));
    const auto caption = [this] (double value)
    { return juce::String::formatted ("%+d", (int)value) + knob->getTextValueSuffix(); };
    g.drawFittedText (caption (knob->getMinimum()), 3, bottom, w / 2 - 6, 10, juce::Justification::centredTop,
                      1, 1.0f);
    g.drawFittedText (caption (knob->getMaximum()), w / 2 + 3, bottom, w / 2 - 6, 10,
                      juce::Justification::centredTop, 1, 1.0f);
}

void GainSliderComp::resized()
{
    const auto w = getWidth();
    const auto h = getHeight();
    knob->setBounds ((w - 70) / 2, 0, 70, 60);
    increaseButton->setBounds (w - 24, h - 17, 16, 16);
    decreaseButton->setBounds (8, h - 17, 16, 16);
}
} // namespace vantor::slot_detail
