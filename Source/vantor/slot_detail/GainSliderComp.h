#pragma once

#include "vantor/ui/LookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace vantor::slot_detail
{
/** The SLOT gain as a rotary knob from -18 dB to +9 dB with 0 dB at the top, an editable value in
    its middle, the range captions below and "-" / "+" buttons stepping 0.1 dB (repeating while
    held). A knob drag reports once, after the release, and only when the value changed; a wheel
    step, a double-click (or Alt+click) to 0 dB, a typed value and a button step report at once.
    Threads: message thread only. */
class GainSliderComp : public juce::Component
{
public:
    /** The knob, with its own text conversion: the number alone, two decimals. */
    class Slider : public juce::Slider
    {
    public:
        Slider() = default;

        /** Only "-0123456789." are taken (an empty text is 0); anything else keeps the value. */
        double getValueFromText (const juce::String& text) override;
        juce::String getTextFromValue (double value) override;
    };

    /** The knob's drawing: a ring, an arc from 0 dB to the value, a pointer and the unit. */
    class LookAndFeel : public vantor::LookAndFeel
    {
    public:
        void drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                               float rotaryStartAngle, float rotaryEndAngle, juce::Slider& slider) override;
        juce::Label* createSliderTextBox (juce::Slider& slider) override;
        juce::Slider::SliderLayout getSliderLayout (juce::Slider& slider) override;
        /** The face of the "-" and "+" buttons, and their name on it: JUCE 7 paints a drawable
            button on a background only through this call, so without pictures they would
            show no sign. */
        void drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour& background,
                                   bool over, bool down) override;
    };

    explicit GainSliderComp (const juce::String& componentName);
    ~GainSliderComp() override;

    Slider* getSlider() noexcept { return knob.get(); }
    /** Without notification. */
    void setValue (double gainDb);
    double getValue() const;
    void updateTooltips();

    juce::Button& getIncreaseButton() noexcept { return *increaseButton; }
    juce::Button& getDecreaseButton() noexcept { return *decreaseButton; }

    void paint (juce::Graphics& g) override;
    void resized() override;

    static constexpr double minimumDb = -18.0;
    static constexpr double maximumDb = 9.0;
    static constexpr double step = 0.1;

private:
    void stepBy (double delta);

    std::unique_ptr<Slider> knob;
    std::unique_ptr<LookAndFeel> lookAndFeel;
    std::unique_ptr<juce::DrawableButton> increaseButton;
    std::unique_ptr<juce::DrawableButton> decreaseButton;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GainSliderComp)
};
} // namespace vantor::slot_detail
