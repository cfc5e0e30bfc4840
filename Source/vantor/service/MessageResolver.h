#pragma once

#include "common/LocaleObserver.h"

#include <juce_core/juce_core.h>

#include <unordered_map>

namespace vantor::service
{
/** Turns a message code (MessageCode) into its text in the current GUI language.
    Threads: localeChanged runs on the message thread; getMessage may run on any thread, also while
    the language changes (the whole-set operations report from their worker thread). The map is
    guarded by lock; getMessage hands out a copy. */
class MessageResolver : public common::LocaleObserver
{
public:
    MessageResolver() = default;
    ~MessageResolver() override = default;

    /** The text of the code; empty for an unknown code and before the first localeChanged. */
    juce::String getMessage (int code) const;

    /** Translates the texts again with the mappings now installed. */
    void localeChanged() override;

private:
    mutable juce::CriticalSection lock;
    std::unordered_map<int, juce::String> texts;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MessageResolver)
};
} // namespace vantor::service
