#pragma once

#include "common/AppSettings.h"
#include "common/LocaleObserver.h"

#include <juce_events/juce_events.h>

namespace common
{
/** Tells every language-dependent object, in the order they were added, when the GUI language
    changed: it listens to the settings store for "GuiLangId", whose announcement arrives after
    the new translations are installed.
    The observers are not owned; each must be removed (or the notifier deleted) before it dies.
    Threads: message thread only. */
class LocaleNotifier : private AppSettings::Listener
{
public:
    /** Listens to the process's settings store. */
    LocaleNotifier();
    /** Listens to the given store, which outlives the notifier. */
    explicit LocaleNotifier (AppSettings& settings);
    ~LocaleNotifier() override;

    /** No duplicates. */
    void addObserver (LocaleObserver* observer);
    /** Safe during a notification. */
    void removeObserver (LocaleObserver* observer);

    /** Calls localeChanged on every observer now. */
    void notifyObservers();

private:
    void settingChanged (AppSettings* settings, const juce::Identifier& key) override;

    AppSettings* settings; // null when the store could not be had
    bool usesProcessStore = false;
    juce::ListenerList<LocaleObserver> observers;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LocaleNotifier)
};
} // namespace common
