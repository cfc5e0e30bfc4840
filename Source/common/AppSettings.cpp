#include "common/AppSettings.h"

#include "common/AppInfo.h"
#include "common/FileReplacer.h"
#include "common/SafeJson.h"

namespace common
{
namespace
{
constexpr int saveDelayMs = 3000;

// A settings file is a handful of keys; anything far larger, or nested deeper than any real
// settings file (SafeJson's limit), is not ours and is set aside rather than parsed.
constexpr juce::int64 maxFileSize = 4 * 1024 * 1024;

int findLanguageRow (const juce::String& languageId)
{
    const auto& table = AppSettings::getLanguageTable();

    for (int i = 0; i < table.size(); ++i)
        if (table.getReference (i).id == languageId)
            return i;

    const auto prefix = languageId.substring (0, 2);

    for (int i = 0; i < table.size(); ++i)
        if (table.getReference (i).id.substring (0, 2) == prefix)
            return i;

    return -1;
}

enum class FileState
{
    missing,
    usable,
    damaged
};

// Reads the settings object; damaged when the file exists but is not one we can read as a JSON
// object. An empty file holds nothing to keep and counts as an empty object.
FileState readSettingsFile (const juce::File& file, juce::DynamicObject::Ptr& result)
{
    result = new juce::DynamicObject();

    if (!file.exists())
        return FileState::missing;

    if (file.isDirectory() || file.getSize() > maxFileSize)
        return FileState::damaged;

    juce::MemoryBlock bytes;

    if (!file.loadFileAsData (bytes))
        return FileState::damaged;

    if (bytes.isEmpty())
        return FileState::usable;

    const auto text = SafeJson::textFromBytes (bytes.getData(), bytes.getSize());

    if (!text.has_value())
        return FileState::damaged;

    if (text->trim().isEmpty())
        return FileState::usable;

    juce::var parsed;

    if (SafeJson::parse (*text, parsed).failed())
        return FileState::damaged;

    auto* object = parsed.getDynamicObject();

    if (object == nullptr)
        return FileState::damaged;

    result = object;
    return FileState::usable;
}

} // namespace

//==============================================================================
class AppSettings::Impl : private juce::Timer
{
public:
    Impl (AppSettings& ownerToUse, const juce::File& file, const juce::File& translations)
        : owner (ownerToUse)
        , translationsFolder (translations)
        , settingsFile (file)
    {
        load();
    }

    ~Impl() override
    {
        stopTimer();
        save();
    }

    juce::var get (const juce::Identifier& key, const juce::var& defaultValue) const
    {
        const juce::ScopedLock sl (lock);

        if (auto* value = settings->getProperties().getVarPointer (key))
            return *value;

        return defaultValue;
    }

    bool has (const juce::Identifier& key) const
    {
        const juce::ScopedLock sl (lock);
        return settings->hasProperty (key);
    }

    // Every setter ends here.
    void set (const juce::Identifier& key, const juce::var& value)
    {
        JUCE_ASSERT_MESSAGE_THREAD
        store (key, value);
    }

    // Store, mark dirty, restart the countdown, announce. Also safe on the thread that makes the
    // store, before anything else can reach it: starting a timer and posting the announcements
    // may be done from any thread, and both are then served on the message thread.
    void store (const juce::Identifier& key, const juce::var& value)
    {
        {
            const juce::ScopedLock sl (lock);
            settings->setProperty (key, value);
        }

        dirty = true;
        startTimer (saveDelayMs);
        notifyListeners (key);
    }

    void loadTranslation (const juce::String& languageId)
    {
        const auto& table = getLanguageTable();
        auto file =
            translationsFolder.getChildFile (table.getReference (findLanguageIndex (languageId)).fileName);

        if (file.getFullPathName().isEmpty() || !file.existsAsFile())
            file = translationsFolder.getChildFile (table.getReference (0).fileName);

        juce::LocalisedStrings::setCurrentMappings (
            new juce::LocalisedStrings (file.loadFileAsString(), true));
    }

    void addListener (Listener* listener)
    {
        JUCE_ASSERT_MESSAGE_THREAD
        listeners.add (listener);
    }

    void removeListener (Listener* listener)
    {
        JUCE_ASSERT_MESSAGE_THREAD
        listeners.remove (listener);
    }

    int getNumberOfSaves() const noexcept { return numberOfSaves; }
    bool hasUnsavedChanges() const noexcept { return dirty; }

private:
    void load()
    {
        const auto folder = settingsFile.getParentDirectory();

        if (!folder.isDirectory())
            folder.createDirectory(); // a failure shows later, when the save cannot write

        switch (readSettingsFile (settingsFile, settings))
        {
            case FileState::missing:
                markDirty();
                break;

            case FileState::usable:
                break;

            case FileState::damaged:
                setDamagedFileAside();
                markDirty();
                break;
        }
    }

    void setDamagedFileAside()
    {
        const auto aside = settingsFile.getSiblingFile ("settings.damaged.json").getNonexistentSibling();

        if (settingsFile.moveFileTo (aside))
        {
            juce::Logger::writeToLog ("Settings: unreadable " + settingsFile.getFullPathName() + " kept as " +
                                      aside.getFileName() + "; starting from defaults");
            return;
        }

        mayWrite = false;
        juce::Logger::writeToLog ("Settings: unreadable " + settingsFile.getFullPathName() +
                                  " could not be moved aside; changes are kept in memory only");
    }

    void markDirty()
    {
        dirty = true;
        startTimer (saveDelayMs);
    }

    void save()
    {
        if (!dirty || !mayWrite)
            return;

        juce::String text;

        {
            const juce::ScopedLock sl (lock);
            text = juce::JSON::toString (juce::var (settings.get()), false, 15);
        }

        // On failure the flag stays set, so the next change or the destructor tries again.
        if (FileReplacer::replace (settingsFile, [&] (juce::OutputStream& out)
                                   { return out.writeText (text, false, false, nullptr); }))
        {
            dirty = false;
            ++numberOfSaves;
        }
    }

    void timerCallback() override
    {
        stopTimer();
        save();
    }

    void notifyListeners (const juce::Identifier& key)
    {
        owner.sendChangeMessage();

        // Delivered to whoever listens at delivery time; dropped when the store is gone by then.
        juce::MessageManager::callAsync (
            [weakThis = juce::WeakReference<Impl> (this), key]
            {
                if (auto* self = weakThis.get())
                    self->listeners.call ([self, &key] (Listener& l)
                                          { l.settingChanged (&self->owner, key); });
            });
    }

    AppSettings& owner;
    juce::ListenerList<Listener, juce::Array<Listener*, juce::DummyCriticalSection>> listeners;
    const juce::File translationsFolder;
    const juce::File settingsFile;
    juce::CriticalSection lock; // guards settings against reads from other threads
    juce::DynamicObject::Ptr settings;
    bool dirty = false;
    bool mayWrite = true; // false while a damaged file that could not be moved sits in the way
    int numberOfSaves = 0;

    JUCE_DECLARE_WEAK_REFERENCEABLE (Impl)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Impl)
};

//==============================================================================
AppSettings::AppSettings()
    : AppSettings (AppInfo::getSettingsFolder().getChildFile ("settings.json"),
                   AppInfo::getTranslationsFolder())
{
}

AppSettings::AppSettings (const juce::File& settingsFile, const juce::File& translationsFolder)
    : impl (std::make_unique<Impl> (*this, settingsFile, translationsFolder))
{
    applyStartupValues();
}

AppSettings::~AppSettings() = default;

// Runs once impl exists, on the thread that makes the store, which need not be the message
// thread (the settings singleton may first be asked for on the updater's thread): so it stores
// the values directly rather than through the setters, which check for the message thread.
void AppSettings::applyStartupValues()
{
    impl->store (SettingsKey::WarnOverwriting, getWarnOverwriting());
    impl->store (SettingsKey::WarnDeleting, getWarnDeleting());

    const auto languageId = getGuiLangId();
    impl->loadTranslation (languageId);
    impl->store (SettingsKey::GuiLangId, languageId);
}

bool AppSettings::getWarnOverwriting() const
{
    return impl->get (SettingsKey::WarnOverwriting, true);
}
bool AppSettings::getWarnDeleting() const
{
    return impl->get (SettingsKey::WarnDeleting, true);
}
bool AppSettings::getShowTooltips() const
{
    return impl->get (SettingsKey::ShowTooltips, true);
}
bool AppSettings::getAutoUpdate() const
{
    return impl->get (SettingsKey::AutoUpdate, true);
}
void AppSettings::setWarnOverwriting (bool shouldWarn)
{
    impl->set (SettingsKey::WarnOverwriting, shouldWarn);
}
void AppSettings::setWarnDeleting (bool shouldWarn)
{
    impl->set (SettingsKey::WarnDeleting, shouldWarn);
}
void AppSettings::setShowTooltips (bool shouldShow)
{
    impl->set (SettingsKey::ShowTooltips, shouldShow);
}
void AppSettings::setAutoUpdate (bool shouldCheck)
{
    impl->set (SettingsKey::AutoUpdate, shouldCheck);
}

juce::String AppSettings::getGuiLangId() const
{
    if (impl->has (SettingsKey::GuiLangId))
        return impl->get (SettingsKey::GuiLangId, {}).toString();

    return getLanguageTable().getReference (findLanguageIndex (getSystemLanguage())).id;
}

void AppSettings::setGuiLangId (const juce::String& languageId)
{
    impl->loadTranslation (languageId);
    impl->set (SettingsKey::GuiLangId, languageId);
}

int AppSettings::getGuiLangIndex() const
{
    return findLanguageIndex (getGuiLangId());
}

void AppSettings::setGuiLangIndex (int index)
{
    const auto& table = getLanguageTable();
    setGuiLangId (table.getReference (juce::isPositiveAndBelow (index, table.size()) ? index : 0).id);
}

juce::var AppSettings::getValue (const juce::Identifier& key, const juce::var& defaultValue) const
{
    return impl->get (key, defaultValue);
}

void AppSettings::setValue (const juce::Identifier& key, const juce::var& value)
{
    impl->set (key, value);
}

void AppSettings::addListener (Listener* listener)
{
    impl->addListener (listener);
}
void AppSettings::removeListener (Listener* listener)
{
    impl->removeListener (listener);
}

int AppSettings::getNumberOfSaves() const noexcept
{
    return impl->getNumberOfSaves();
}
bool AppSettings::hasUnsavedChanges() const noexcept
{
    return impl->hasUnsavedChanges();
}

//==============================================================================
const juce::Array<AppSettings::Language>& AppSettings::getLanguageTable()
{
    static const juce::Array<Language> table = []
    {
        const Language rows[] = {
            {"en", "en.txt", "English"},
            {"fr", "fr.txt",
             juce::CharPointer_UTF8 ("Fran\xc3\xa7"
                                     "ais")},
            {"de", "de.txt", "Deutsch"},
            {"es", "es.txt", juce::CharPointer_UTF8 ("Espa\xc3\xb1ol")},
            {"it", "it.txt", "Italiano"},
            {"nl", "nl.txt", "Nederlands"},
            {"pt", "pt.txt", juce::CharPointer_UTF8 ("Portugu\xc3\xaas")},
            {"zh-CN", "zh-CN.txt",
             juce::CharPointer_UTF8 ("\xe7\xae\x80\xe4\xbd\x93\xe4\xb8\xad\xe6\x96\x87")},
            {"ja", "ja.txt", juce::CharPointer_UTF8 ("\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e")},
        };

        return juce::Array<Language> (rows, juce::numElementsInArray (rows));
    }();

    return table;
}

int AppSettings::findLanguageIndex (const juce::String& languageId)
{
    return juce::jmax (0, findLanguageRow (languageId));
}

juce::String AppSettings::normaliseLocaleName (const juce::String& localeName)
{
    auto name =
        localeName.trim().upToFirstOccurrenceOf ("@", false, false).upToFirstOccurrenceOf (".", false, false);

    if (name.isEmpty() || name == "C" || name == "POSIX")
        return {};

    const auto separator = name.indexOfAnyOf ("_-");
    const auto language = (separator < 0 ? name : name.substring (0, separator)).toLowerCase();
    const auto territory = separator < 0 ? juce::String() : name.substring (separator + 1).toUpperCase();

    // Chinese is the one language the table tells apart by territory.
    if (language == "zh" && territory.isNotEmpty())
        return language + "-" + territory;

    return language;
}

juce::String AppSettings::languageFromLocale (const EnvironmentLookup& getVariable)
{
    juce::String locale;

    for (auto* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
    {
        locale = getVariable (name).trim();

        if (locale.isNotEmpty())
            break;
    }

    const auto localeLanguage = normaliseLocaleName (locale);

    // Like gettext: a "C" locale means untranslated, whatever LANGUAGE says.
    if (localeLanguage.isEmpty())
        return {};

    juce::StringArray preferred;
    preferred.addTokens (getVariable ("LANGUAGE"), ":", {});
    preferred.trim();
    preferred.removeEmptyStrings();

    for (auto& entry : preferred)
    {
        const auto language = normaliseLocaleName (entry);

        if (language.isNotEmpty() && findLanguageRow (language) >= 0)
            return language;
    }

    if (!preferred.isEmpty())
        return normaliseLocaleName (preferred[0]);

    return localeLanguage;
}

juce::String AppSettings::getSystemLanguage()
{
    return languageFromLocale ([] (const char* name)
                               { return juce::SystemStats::getEnvironmentVariable (name, {}); });
}
} // namespace common
