#include "common/LocaleNotifier.h"

#include "common/AppSettingsSingleton.h"
#include "common/SettingsKey.h"

namespace common
{
LocaleNotifier::LocaleNotifier()
    : settings (AppSettingsSingleton::getInstance())
    , usesProcessStore (true)
{
    if (settings != nullptr)
        settings->addListener (this);
}

LocaleNotifier::LocaleNotifier (AppSettings& settingsToUse)
    : settings (&settingsToUse)
{
    settings->addListener (this);
}

LocaleNotifier::~LocaleNotifier()
{
    // The process's store may already be gone when the program ends; a store handed in outlives us.
    if (usesProcessStore && AppSettingsSingleton::getInstanceWithoutCreating() == nullptr)
        return;
    if (settings != nullptr)
        settings->removeListener (this);
}

void LocaleNotifier::addObserver (LocaleObserver* observer)
{
    JUCE_ASSERT_MESSAGE_THREAD
    observers.add (observer);
}

void LocaleNotifier::removeObserver (LocaleObserver* observer)
{
    JUCE_ASSERT_MESSAGE_THREAD
    observers.remove (observer);
}

void LocaleNotifier::notifyObservers()
{
    JUCE_ASSERT_MESSAGE_THREAD
    observers.call ([] (LocaleObserver& observer) { observer.localeChanged(); });
}

void LocaleNotifier::settingChanged (AppSettings*, const juce::Identifier& key)
{
    if (key == SettingsKey::GuiLangId)
        notifyObservers();
}
} // namespace common
