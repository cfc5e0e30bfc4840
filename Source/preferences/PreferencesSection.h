#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace preferences
{
/** A title and its controls (toggle buttons, labels, combo boxes) stacked in a column, 15 px
    apart and centred. Every control keeps its untranslated texts, so that translateTexts can
    set them again in the current language.
    Threads: message thread only. */
class PreferencesSection : public juce::Component
{
public:
    explicit PreferencesSection (const juce::String& title);
    ~PreferencesSection() override;

    // Each returns the section itself, so that calls chain.
    PreferencesSection& addToggleButton (const juce::String& text, const juce::String& tooltip,
                                         juce::Value& value);
    PreferencesSection& addLabel (const juce::String& text, juce::Justification justification,
                                  const juce::String& tooltip);
    PreferencesSection& addComboBox (const juce::StringArray& texts, const juce::String& tooltip,
                                     juce::Value& value);

    /** Sets every control's text and tooltip from the translation of its stored texts. */
    void translateTexts();

    void resized() override;

    static constexpr int width = 460;
    static constexpr int titleHeight = 21;
    static constexpr int toggleWidth = 440;
    static constexpr int toggleHeight = 20;
    static constexpr int labelHeight = 20;
    static constexpr int comboBoxHeight = 36;
    static constexpr int spacing = 15;

private:
    struct Item
    {
        std::unique_ptr<juce::Component> component;
        juce::StringArray texts;
        juce::String tooltip;
        // The control's own size: the layout may squeeze the component, never this.
        int width = 0;
        int height = 0;
    };

    void addItem (std::unique_ptr<juce::Component> component, juce::StringArray texts,
                  const juce::String& tooltip);
    void updateSize();

    std::vector<Item> items;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PreferencesSection)
};
} // namespace preferences
