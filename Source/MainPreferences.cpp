#include "MainPreferences.h"

#include "common/SettingsKey.h"
#include "preferences/PreferencesSection.h"

MainPreferences::MainPreferences (common::AppSettings* settingsToUse)
    : SettingsBoundFactory (settingsToUse)
    , showTooltips (initialValue (&common::AppSettings::getShowTooltips, true))
    , autoUpdate (initialValue (&common::AppSettings::getAutoUpdate, true))
    , language (initialValue (&common::AppSettings::getGuiLangIndex, 0).operator int() + 1)
{
    listenTo ({&showTooltips, &autoUpdate, &language});
}

juce::Array<juce::Component*> MainPreferences::createSections()
{
    juce::StringArray languageNames;
    for (const auto& row : common::AppSettings::getLanguageTable())
        languageNames.add (row.displayName);

    auto* interfaceSection = new preferences::PreferencesSection ("Interface");
    interfaceSection->addToggleButton ("Show tooltips", {}, showTooltips);

    auto* applicationSection = new preferences::PreferencesSection ("Application Settings");
    applicationSection->addToggleButton ("Check for updates automatically", {}, autoUpdate)
        .addLabel ("Language", juce::Justification::bottomLeft, {})
        .addComboBox (languageNames, {}, language);

    return {interfaceSection, applicationSection};
}

void MainPreferences::valueChanged (juce::Value& value)
{
    auto* settings = getSettings();
    if (settings == nullptr)
        return;

    if (value.refersToSameSourceAs (showTooltips))
        settings->setShowTooltips ((bool)value.getValue());
    else if (value.refersToSameSourceAs (autoUpdate))
        settings->setAutoUpdate ((bool)value.getValue());
    else if (value.refersToSameSourceAs (language))
    {
        const auto& table = common::AppSettings::getLanguageTable();
        const auto row = (int)value.getValue() - 1;
        // An id outside the table (none chosen) falls back to the first row.
        settings->setGuiLangId (table[juce::isPositiveAndBelow (row, table.size()) ? row : 0].id);
    }
}

void MainPreferences::settingChanged (common::AppSettings* settings, const juce::Identifier& key)
{
    if (settings == nullptr)
        return;

    if (key == common::SettingsKey::ShowTooltips)
        showTooltips = settings->getShowTooltips();
    else if (key == common::SettingsKey::AutoUpdate)
        autoUpdate = settings->getAutoUpdate();
    else if (key == common::SettingsKey::GuiLangId)
        language = settings->getGuiLangIndex() + 1;
}
