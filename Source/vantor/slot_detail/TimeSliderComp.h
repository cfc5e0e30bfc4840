#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace vantor
{
class LookAndFeel;
}

namespace vantor::slot_detail
{
/** A time in minutes:seconds.milliseconds between "-" and "+" buttons that step it by 0.01 s and
    repeat while held. The user types a time into the field or steps it; dragging on the field
    changes nothing. Towards its listeners the inner slider is a plain juce::Slider: a step
    reports at once, a typed value when it is committed.
    Threads: message thread only. */
class TimeSliderComp : public juce::Component
{
public:
    /** The field: a bar whose whole face is the editable text. */
    class Slider : public juce::Slider
    {
    public:
        Slider() = default;

        void mouseDrag (const juce::MouseEvent&) override {}
        /** "1:30.5" is 90.5 s, "90" is 90 s; any other character, an empty text or three parts
            keep the present value. */
        double getValueFromText (const juce::String& text) override;
        juce::String getTextFromValue (double value) override;
    };

    explicit TimeSliderComp (const juce::String& componentName);
    ~TimeSliderComp() override;

    Slider* getSlider() noexcept { return slider.get(); }
    /** Snapped to the interval and limited to the range by the slider. */
    void setValue (double seconds, juce::NotificationType notification);
    double getValue() const;
    void setRange (double minimum, double maximum, double interval);
    void updateTooltips();

    juce::Button& getIncreaseButton() noexcept { return *increaseButton; }
    juce::Button& getDecreaseButton() noexcept { return *decreaseButton; }

    void resized() override;

    static constexpr double step = 0.01;

private:
    void stepBy (double delta);

    std::unique_ptr<Slider> slider;
    std::unique_ptr<vantor::LookAndFeel> lookAndFeel;
    std::unique_ptr<juce::DrawableButton> increaseButton;
    std::unique_ptr<juce::DrawableButton> decreaseButton;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TimeSliderComp)
};
} // namespace vantor::slot_detail
