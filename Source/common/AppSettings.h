#pragma once

#include "common/SettingsKey.h"

#include <juce_core/juce_core.h>
#include <juce_events/juce_events.h>

#include <functional>
#include <memory>

namespace common
{
/** The user's preferences in "settings.json": typed access to the known keys, getValue/setValue
    for the rest, a save 3000 ms after the last change (and at destruction), and one asynchronous
    settingChanged per setter call. It also holds the nine GUI languages and installs the chosen
    language's translation file as JUCE's current translation mappings.

    Threads: the message thread destroys the store, calls every setter, registers listeners and
    receives their calls; the timer and the save run there too. Any thread may construct it (the
    settings singleton may first be asked for on the updater's thread). The getters (getValue
    and the typed ones) may also run on other threads (the updater reads SkipThisVersion and
    GuiLangId on its own thread): the settings object is guarded by a lock, taken by every read and
    every change. TRANS may be used anywhere; JUCE guards the translation mappings itself.

    A file that cannot be read as a JSON object is moved aside to "settings.damaged.json" (made
    unique) before the store starts from the defaults, so nothing the user had is overwritten. When
    it cannot be moved, the store keeps working in memory and never writes over it. */
class AppSettings : public juce::ChangeBroadcaster
{
public:
    struct Language
    {
        juce::String id;          // "zh-CN"
        juce::String fileName;    // "zh-CN.txt" in the translations folder
        juce::String displayName; // shown in the language choice, in its own language
    };

    class Listener
    {
    public:
        virtual ~Listener() = default;

        /** On the message thread, once per setter call, also when the value did not change. The
            store may already hold a newer value than the one this call announces. */
        virtual void settingChanged (AppSettings* settings, const juce::Identifier& key) = 0;
    };

    /** The user's store: AppInfo's settings folder and translations folder. */
    AppSettings();

    /** A store on a file and translations folder of the caller's choice. */
    AppSettings (const juce::File& settingsFile, const juce::File& translationsFolder);

    /** Saves unsaved changes. Notifications still queued are dropped. */
    ~AppSettings() override;

    bool getWarnOverwriting() const;
    bool getWarnDeleting() const;
    bool getShowTooltips() const;
    bool getAutoUpdate() const;
    void setWarnOverwriting (bool shouldWarn);
    void setWarnDeleting (bool shouldWarn);
    void setShowTooltips (bool shouldShow);
    void setAutoUpdate (bool shouldCheck);

    /** The stored id as it is (not checked against the table), else the system language's row. */
    juce::String getGuiLangId() const;

    /** Installs the translation of the id's row (row 0's when its file is missing), then stores the
        id unchanged. */
    void setGuiLangId (const juce::String& languageId);

    int getGuiLangIndex() const;

    /** The row's id; an index outside the table selects row 0 ("en"). */
    void setGuiLangIndex (int index);

    juce::var getValue (const juce::Identifier& key, const juce::var& defaultValue) const;
    void setValue (const juce::Identifier& key, const juce::var& value);

    /** No duplicates; safe to call from inside settingChanged. */
    void addListener (Listener* listener);
    void removeListener (Listener* listener);

    /** How often the file has been written by this store, and whether changes wait for the next
        write: lets callers see that bursts of changes are coalesced. */
    int getNumberOfSaves() const noexcept;
    bool hasUnsavedChanges() const noexcept;

    //==============================================================================
    static const juce::Array<Language>& getLanguageTable();

    /** The row with exactly this id, else the first whose id starts with the same two characters,
        else 0. */
    static int findLanguageIndex (const juce::String& languageId);

    using EnvironmentLookup = std::function<juce::String (const char* variableName)>;

    /** The user's interface language as a language id ("ja", "zh-CN", "pt"), read from the locale
        variables in gettext's order: LANGUAGE (a colon-separated list, its first entry that the
        table knows, else its first entry) unless the locale is "C" or "POSIX", then LC_ALL,
        LC_MESSAGES, LANG. Empty when nothing names a language. */
    static juce::String languageFromLocale (const EnvironmentLookup& getVariable);

    /** languageFromLocale of this process's environment. */
    static juce::String getSystemLanguage();

    /** "ja_JP.UTF-8" -> "ja", "zh_CN" -> "zh-CN", "pt_BR" -> "pt", "C" -> "". */
    static juce::String normaliseLocaleName (const juce::String& localeName);

private:
    class Impl;
    std::unique_ptr<Impl> impl;

    void applyStartupValues();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AppSettings)
};
} // namespace common
