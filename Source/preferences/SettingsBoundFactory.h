#pragma once

#include "common/AppSettings.h"
#include "preferences/PreferencesSectionFactory.h"

namespace preferences
{
/** Base of the factories whose controls are bound both ways to settings: it listens to its
    values (a control changed: write the setting) and to the settings store (a setting changed
    anywhere: update the value). Subclasses say which value belongs to which key.
    Threads: message thread only. */
class SettingsBoundFactory : public PreferencesSectionFactory,
                             protected juce::Value::Listener,
                             protected common::AppSettings::Listener
{
public:
    ~SettingsBoundFactory() override;

protected:
    /** The process's settings store when none is given; it must outlive the factory when given. */
    explicit SettingsBoundFactory (common::AppSettings* settings);

    /** Call at the end of the subclass's constructor, once its values hold the current settings. */
    void listenTo (std::initializer_list<juce::Value*> values);

    common::AppSettings* getSettings() const noexcept { return settings; }

    /** A getter's value for a member's initialiser (a value set there sends no change message,
        which would otherwise write every setting back at start-up); the fallback without a store. */
    template <typename Result>
    juce::var initialValue (Result (common::AppSettings::*getter)() const, Result fallback) const
    {
        return settings != nullptr ? juce::var ((settings->*getter)()) : juce::var (fallback);
    }

private:
    common::AppSettings* settings;
    bool usesProcessStore;
    juce::Array<juce::Value*> boundValues;
};
} // namespace preferences
