#pragma once

#include "preferences/SettingsBoundFactory.h"

namespace vantor
{
/** The editing settings of the preferences: whether overwriting and deleting ask first. */
class VantorPreferences : public preferences::SettingsBoundFactory
{
public:
    /** The process's settings store when none is given. */
    explicit VantorPreferences (common::AppSettings* settings = nullptr);

    juce::Array<juce::Component*> createSections() override;

    juce::Value warnOverwriting;
    juce::Value warnDeleting;

private:
    void valueChanged (juce::Value& value) override;
    void settingChanged (common::AppSettings* settings, const juce::Identifier& key) override;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VantorPreferences)
};
} // namespace vantor
