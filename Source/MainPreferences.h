#pragma once

#include "preferences/SettingsBoundFactory.h"

/** The interface and application settings of the preferences: tooltips, the automatic update
    check and the GUI language. */
class MainPreferences : public preferences::SettingsBoundFactory
{
public:
    /** The process's settings store when none is given. */
    explicit MainPreferences (common::AppSettings* settings = nullptr);

    juce::Array<juce::Component*> createSections() override;

    juce::Value showTooltips;
    juce::Value autoUpdate;
    juce::Value language; // the language table's row + 1, as the combo box's item id

private:
    void valueChanged (juce::Value& value) override;
    void settingChanged (common::AppSettings* settings, const juce::Identifier& key) override;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainPreferences)
};
