#include "vantor/slot_detail/TimeSliderComp.h"

#include "vantor/slot/TimeText.h"
#include "vantor/slot_detail/StepButton.h"
#include "vantor/ui/LookAndFeel.h"

namespace vantor::slot_detail
{
double TimeSliderComp::Slider::getValueFromText (const juce::String& text)
{
    if (!text.containsOnly ("0123456789:."))
        return getValue();

    juce::StringArray parts;
    parts.addTokens (text, ":", {});

    if (parts.size() == 1)
        return text.getDoubleValue();

    if (parts.size() == 2)
        return parts[1].getDoubleValue() + parts[0].getDoubleValue() * 60.0;

    return getValue();
}

juce::String TimeSliderComp::Slider::getTextFromValue (double value)
{
    return slot::formatPlaybackTime (value);
}

//==============================================================================
TimeSliderComp::TimeSliderComp (const juce::String& componentName)
    : juce::Component (componentName)
{
    increaseButton = std::make_unique<juce::DrawableButton> ("+", juce::DrawableButton::ImageFitted);
    decreaseButton = std::make_unique<juce::DrawableButton> ("-", juce::DrawableButton::ImageFitted);

    slider = std::make_unique<Slider>();
    slider->setSliderStyle (juce::Slider::LinearBar);
    slider->setTextBoxStyle (juce::Slider::TextBoxAbove, false, slider->getTextBoxWidth(),
                             slider->getTextBoxHeight());
    slider->setChangeNotificationOnlyOnRelease (true);
    slider->setColour (juce::Label::backgroundColourId, juce::Colour (0xff181818));
    slider->setColour (juce::Slider::textBoxBackgroundColourId, juce::Colour (0xff181818));
    addAndMakeVisible (*slider);
    slider->setRange (0.0, 1.0, 0.0);

    lookAndFeel = std::make_unique<vantor::LookAndFeel>();
    slider->setLookAndFeel (lookAndFeel.get());

    for (auto* button : {increaseButton.get(), decreaseButton.get()})
    {
        addAndMakeVisible (*button);
        const auto delta = button == increaseButton.get() ? step : -step;
        setUpStepButton (*button, [this, delta] { stepBy (delta); });
        button->setTooltip (slider->getTooltip());
    }
}

TimeSliderComp::~TimeSliderComp()
{
    slider->setLookAndFeel (nullptr);
    increaseButton.reset();
    decreaseButton.reset();
    lookAndFeel.reset();
    slider.reset();
}

void TimeSliderComp::stepBy (double delta)
{
    slider->setValue (slider->getValue() + delta, juce::sendNotificationSync);
}

void TimeSliderComp::setValue (double seconds, juce::NotificationType notification)
{
    slider->setValue (seconds, notification);
}

double TimeSliderComp::getValue() const
{
    return slider->getValue();
}

void TimeSliderComp::setRange (double minimum, double maximum, double interval)
{
    slider->setRange (minimum, maximum, interval);
}

void TimeSliderComp::updateTooltips()
{
    increaseButton->setTooltip (TRANS ("Increase"));
    decreaseButton->setTooltip (TRANS ("Decrease"));
}

void TimeSliderComp::resized()
{
    const auto w = getWidth();
    const auto h = getHeight();
    slider->setBounds ((w - 72) / 2, (h - 25) / 2, 72, 25);
    increaseButton->setBounds (w - 16, (h - 16) / 2, 16, 16);
    decreaseButton->setBounds (0, (h - 16) / 2, 16, 16);
}
} // namespace vantor::slot_detail
