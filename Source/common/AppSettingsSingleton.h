#pragma once

#include "common/AppSettings.h"

#include <juce_events/juce_events.h>

namespace common
{
/** The process's settings store, created on first use on whichever thread that is (under the
    singleton's lock, double-checked; a call made while it is being built gets null) and deleted
    with JUCE's other singletons at shut-down, which saves unsaved changes.
    getInstanceWithoutCreating reads it without making one. */
class AppSettingsSingleton : public AppSettings, public juce::DeletedAtShutdown
{
public:
    AppSettingsSingleton();
    ~AppSettingsSingleton() override;

    JUCE_DECLARE_SINGLETON (AppSettingsSingleton, false)

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AppSettingsSingleton)
};
} // namespace common
