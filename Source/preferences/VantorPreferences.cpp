#include "preferences/VantorPreferences.h"

#include "common/SettingsKey.h"
#include "preferences/PreferencesSection.h"

namespace vantor
{
VantorPreferences::VantorPreferences (common::AppSettings* settingsToUse)
    : SettingsBoundFactory (settingsToUse)
    , warnOverwriting (initialValue (&common::AppSettings::getWarnOverwriting, true))
    , warnDeleting (initialValue (&common::AppSettings::getWarnDeleting, true))
{
    listenTo ({&warnOverwriting, &warnDeleting});
}

juce::Array<juce::Component*> VantorPreferences::createSections()
{
    auto* section = new preferences::PreferencesSection ("List Item Operation Settings");
    section->addToggleButton ("Confirm when overwriting", {}, warnOverwriting)
        .addToggleButton ("Confirm when deleting", {}, warnDeleting);
    return {section};
}

void VantorPreferences::valueChanged (juce::Value& value)
{
    auto* settings = getSettings();
    if (settings == nullptr)
        return;
    if (value.refersToSameSourceAs (warnOverwriting))
        settings->setWarnOverwriting ((bool)value.getValue());
    else if (value.refersToSameSourceAs (warnDeleting))
        settings->setWarnDeleting ((bool)value.getValue());
}

void VantorPreferences::settingChanged (common::AppSettings* settings, const juce::Identifier& key)
{
    if (settings == nullptr)
        return;
    if (key == common::SettingsKey::WarnOverwriting)
        warnOverwriting = settings->getWarnOverwriting();
    else if (key == common::SettingsKey::WarnDeleting)
        warnDeleting = settings->getWarnDeleting();
}
} // namespace vantor
