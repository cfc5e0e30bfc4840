#pragma once

#include <juce_core/juce_core.h>
#include <juce_events/juce_events.h>

namespace common
{
// The usage-statistics values that survive between runs, kept encrypted in the log folder's
// "status" file: saved shortly after each change and at once when the object is deleted.
//
// Threads: message thread only (its saves arrive through juce::AsyncUpdater).
class PersistentStatus : private juce::AsyncUpdater
{
public:
    explicit PersistentStatus (const juce::File& logFolder);
    ~PersistentStatus() override;

    // False, and nothing stored, when the key already holds an equal value.
    bool setIfChanged (const juce::Identifier& key, const juce::var& value);
    void set (const juce::Identifier& key, const juce::var& value);

    // Void when absent.
    juce::var get (const juce::Identifier& key) const;

    // The current value (void when absent); the key is removed.
    juce::var take (const juce::Identifier& key);

    juce::String getCid() const;
    juce::String getGuiLangId() const;

    // Writes the file when something changed; a failed write is not retried until the next change.
    void save();

    // Forgets unsaved changes, for a process that ends without having stopped the statistics.
    void discardChanges();

    const juce::File& getFile() const { return file; }

private:
    void handleAsyncUpdate() override;
    void changed();

    juce::File file;
    juce::DynamicObject::Ptr values;
    bool dirty = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PersistentStatus)
};
} // namespace common
