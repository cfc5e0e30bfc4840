#include "preferences/SettingsBoundFactory.h"

#include "common/AppSettingsSingleton.h"

namespace preferences
{
SettingsBoundFactory::SettingsBoundFactory (common::AppSettings* settingsToUse)
    : settings (settingsToUse != nullptr ? settingsToUse : common::AppSettingsSingleton::getInstance())
    , usesProcessStore (settingsToUse == nullptr)
{
}

SettingsBoundFactory::~SettingsBoundFactory()
{
    // At the very end of the program the process's store may already have been deleted.
    const bool storeAlive =
        !usesProcessStore || common::AppSettingsSingleton::getInstanceWithoutCreating() != nullptr;
    if (settings != nullptr && storeAlive)
        settings->removeListener (this);
    for (auto* value : boundValues)
        value->removeListener (this);
}

void SettingsBoundFactory::listenTo (std::initializer_list<juce::Value*> values)
{
    for (auto* value : values)
    {
        boundValues.add (value);
        value->addListener (this);
    }
    if (settings != nullptr)
        settings->addListener (this);
}
} // namespace preferences
