#include "common/AppSettings.h"
#include "common/AppInfo.h"
#include "common/AppSettingsSingleton.h"
#include "support/MessagePump.h"
#include "support/TestEnvironment.h"

#include <gmock/gmock.h>
#include <juce_events/juce_events.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <thread>
#include <vector>

using common::AppSettings;
using glorvak::test::pumpMessagesUntil;
namespace Key = common::SettingsKey;

namespace
{
// Runs the message loop until every notification posted so far has been delivered.
void deliverPending()
{
    bool reached = false;
    juce::MessageManager::callAsync ([&reached] { reached = true; });
    ASSERT_TRUE (pumpMessagesUntil ([&reached] { return reached; }));
}

// Sets LANG alone of the locale variables for the life of the object, then puts them back.
class ScopedLocale
{
public:
    explicit ScopedLocale (const char* lang)
    {
        for (auto* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
        {
            if (auto* old = std::getenv (name))
                saved[name] = old;
            else
                saved[name] = std::nullopt;

            unsetenv (name);
        }

        setenv ("LANG", lang, 1);
    }

    ScopedLocale (const ScopedLocale&) = delete;
    ScopedLocale& operator= (const ScopedLocale&) = delete;

    ~ScopedLocale()
    {
        for (auto& [name, value] : saved)
        {
            if (value)
                setenv (name.c_str(), value->c_str(), 1);
            else
                unsetenv (name.c_str());
        }
    }

private:
    std::map<std::string, std::optional<std::string>> saved;
};

struct RecordingListener : public AppSettings::Listener
{
    void settingChanged (AppSettings* settings, const juce::Identifier& key) override
    {
        calls.push_back ({settings, key});

        if (onCall)
            onCall();
    }

    struct Call
    {
        AppSettings* settings;
        juce::Identifier key;
    };

    std::vector<juce::Identifier> keys() const
    {
        std::vector<juce::Identifier> result;

        for (auto& c : calls)
            result.push_back (c.key);

        return result;
    }

    std::vector<Call> calls;
    std::function<void()> onCall;
};

juce::var readJson (const juce::File& file)
{
    return juce::JSON::parse (file.loadFileAsString());
}

juce::StringArray propertyNames (const juce::var& object)
{
    juce::StringArray names;

    if (auto* o = object.getDynamicObject())
        for (auto& p : o->getProperties())
            names.add (p.name.toString());

    return names;
}

juce::File translationsOfRepository()
{
    return juce::File (glorvak::test::dataFolder())
        .getParentDirectory()
        .getParentDirectory()
        .getChildFile ("Translations");
}

class AppSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = juce::File::getSpecialLocation (juce::File::tempDirectory)
                     .getNonexistentChildFile ("AppSettingsTest", {}, false);
        ASSERT_TRUE (folder.createDirectory());
        settingsFile = folder.getChildFile ("settings").getChildFile ("settings.json");
    }

    void TearDown() override
    {
        juce::LocalisedStrings::setCurrentMappings (nullptr);
        folder.deleteRecursively();
    }

    std::unique_ptr<AppSettings> makeStore (const juce::File& translations = translationsOfRepository())
    {
        return std::make_unique<AppSettings> (settingsFile, translations);
    }

    void writeSettings (const juce::String& text)
    {
        ASSERT_TRUE (settingsFile.getParentDirectory().createDirectory());
        ASSERT_TRUE (settingsFile.replaceWithText (text));
    }

    juce::File folder, settingsFile;
};

//==============================================================================
TEST_F (AppSettingsTest, FirstRunWritesTheDefaultsAboutThreeSecondsLater)
{
    ScopedLocale locale ("ja_JP.UTF-8");
    const auto start = juce::Time::getMillisecondCounter();
    auto store = makeStore();
    RecordingListener listener;
    store->addListener (&listener);

    EXPECT_TRUE (settingsFile.getParentDirectory().isDirectory());
    EXPECT_FALSE (settingsFile.exists());
    EXPECT_TRUE (listener.calls.empty()) << "notifications are asynchronous";

    ASSERT_TRUE (pumpMessagesUntil ([this] { return settingsFile.existsAsFile(); }));
    EXPECT_GE (juce::Time::getMillisecondCounter() - start, 2900u);

    const auto json = readJson (settingsFile);
    EXPECT_EQ (propertyNames (json), juce::StringArray ({"WarnOverwriting", "WarnDeleting", "GuiLangId"}));
    EXPECT_TRUE ((bool)json["WarnOverwriting"]);
    EXPECT_TRUE ((bool)json["WarnDeleting"]);
    EXPECT_EQ (json["GuiLangId"].toString(), "ja");

    EXPECT_EQ (listener.keys(),
               (std::vector<juce::Identifier>{Key::WarnOverwriting, Key::WarnDeleting, Key::GuiLangId}));
    EXPECT_EQ (listener.calls.front().settings, store.get());
    EXPECT_EQ (store->getNumberOfSaves(), 1);
    store->removeListener (&listener);
}

TEST_F (AppSettingsTest, UnknownKeysSurviveASaveInTheirPlace)
{
    writeSettings (
        R"({ "Zeta": 42, "WarnDeleting": false, "Nested": { "list": [1, "two", 3.5] }, "GuiLangId": "fr" })");
    const auto original = readJson (settingsFile);

    {
        auto store = makeStore();
        EXPECT_FALSE (store->getWarnDeleting());
        EXPECT_EQ (store->getGuiLangId(), "fr");
        store->setAutoUpdate (false);
    }

    const auto saved = readJson (settingsFile);
    EXPECT_EQ (propertyNames (saved), juce::StringArray ({"Zeta", "WarnDeleting", "Nested", "GuiLangId",
                                                          "WarnOverwriting", "AutoUpdate"}));
    EXPECT_EQ ((int)saved["Zeta"], 42);
    EXPECT_EQ (juce::JSON::toString (saved["Nested"]), juce::JSON::toString (original["Nested"]));

    auto reloaded = makeStore();
    EXPECT_FALSE (reloaded->getAutoUpdate());
    EXPECT_FALSE (reloaded->getWarnDeleting());
    EXPECT_EQ ((int)reloaded->getValue ("Zeta", {}), 42);
}

TEST_F (AppSettingsTest, TenSetterCallsGiveTenNotificationsAndOneWrite)
{
    writeSettings ("{}");
    auto store = makeStore();
    RecordingListener listener;
    store->addListener (&listener);

    juce::var pinned;
    pinned.append ("/home/user/Music");

    store->setAutoUpdate (true);
    store->setAutoUpdate (true); // same value: still announced
    store->setShowTooltips (false);
    store->setWarnOverwriting (false);
    store->setWarnDeleting (false);
    store->setValue (Key::BankCollectionOpen, true);
    store->setValue (Key::PinnedFolders, pinned);
    store->setValue (Key::SkipThisVersion, "1.0.1.0001");
    store->setGuiLangIndex (2);
    store->setGuiLangId ("fr-CA");

    EXPECT_TRUE (listener.calls.empty());
    EXPECT_TRUE (store->hasUnsavedChanges());

    ASSERT_TRUE (
        pumpMessagesUntil ([&] { return store->getNumberOfSaves() > 0 && listener.calls.size() >= 13; }));
    EXPECT_EQ (store->getNumberOfSaves(), 1);
    EXPECT_FALSE (store->hasUnsavedChanges()) << "nothing is left that could cause a second write";

    // The three announcements of the start, then one per call, in order.
    EXPECT_EQ (listener.keys(),
               (std::vector<juce::Identifier>{
                   Key::WarnOverwriting, Key::WarnDeleting, Key::GuiLangId, Key::AutoUpdate, Key::AutoUpdate,
                   Key::ShowTooltips, Key::WarnOverwriting, Key::WarnDeleting, Key::BankCollectionOpen,
                   Key::PinnedFolders, Key::SkipThisVersion, Key::GuiLangId, Key::GuiLangId}));

    const auto json = readJson (settingsFile);
    EXPECT_FALSE ((bool)json["ShowTooltips"]);
    EXPECT_EQ (json["PinnedFolders"][0].toString(), "/home/user/Music");
    EXPECT_EQ (json["SkipThisVersion"].toString(), "1.0.1.0001");
    EXPECT_EQ (json["GuiLangId"].toString(), "fr-CA");
    EXPECT_EQ (store->getGuiLangIndex(), 1);
    store->removeListener (&listener);
}

TEST_F (AppSettingsTest, ASaveReplacesTheFileWholeAndLeavesNoTemporaryFile)
{
    writeSettings (R"({ "GuiLangId": "de", "Padding": ")" + juce::String::repeatedString ("x", 100000) +
                   "\" }");
    const auto before = settingsFile.loadFileAsString();
    std::ifstream oldReader (settingsFile.getFullPathName().toStdString()); // open while the file is replaced
    ASSERT_TRUE (oldReader.good());

    {
        auto store = makeStore();
        store->setValue ("Padding", "short");
    }

    // The old file was renamed over, not rewritten in place: its reader still sees it whole.
    const std::string seenByOldReader{std::istreambuf_iterator<char> (oldReader), {}};
    EXPECT_TRUE (juce::String (seenByOldReader) == before) << seenByOldReader.size() << " bytes";
    EXPECT_EQ (readJson (settingsFile)["Padding"].toString(), "short");
    EXPECT_EQ (settingsFile.getParentDirectory().getNumberOfChildFiles (
                   juce::File::findFilesAndDirectories | juce::File::ignoreHiddenFiles, "*"),
               1);
    EXPECT_EQ (
        settingsFile.getParentDirectory().getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"),
        1);
}

TEST_F (AppSettingsTest, ADamagedFileIsKeptAsideAndTheStoreStartsFromDefaults)
{
    struct Case
    {
        const char* name;
        juce::MemoryBlock bytes;
    };

    const auto text = [] (const juce::String& s)
    { return juce::MemoryBlock (s.toRawUTF8(), s.getNumBytesAsUTF8()); };
    const unsigned char badUtf8[] = {'{', '"', 'a', '"', ':', '"', 0xff, 0xfe, '"', '}'};

    const Case cases[] = {
        {"not JSON", text ("{ \"WarnDeleting\": false, ")},
        {"an array", text ("[1, 2, 3]")},
        {"a number", text ("42")},
        {"invalid UTF-8", juce::MemoryBlock (badUtf8, sizeof (badUtf8))},
        {"nested far too deep", text (juce::String::repeatedString ("[", 100000))},
        // JUCE also reads single-quoted strings, in which a '"' opens nothing
        {"nested too deep behind a quote",
         text ("{\"a\": '\"', \"b\": " + juce::String::repeatedString ("[", 100000) +
               juce::String::repeatedString ("]", 100000) + "}")},
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        ASSERT_TRUE (settingsFile.getParentDirectory().createDirectory());
        ASSERT_TRUE (settingsFile.replaceWithData (c.bytes.getData(), c.bytes.getSize()));

        {
            auto store = makeStore();
            EXPECT_TRUE (store->getWarnDeleting());
            EXPECT_FALSE (store->getValue ("a", {}).isString());
        }

        const auto aside = settingsFile.getSiblingFile ("settings.damaged.json");
        juce::MemoryBlock kept;
        ASSERT_TRUE (aside.loadFileAsData (kept));
        EXPECT_TRUE (kept == c.bytes) << "the damaged file is kept byte for byte";
        EXPECT_TRUE (readJson (settingsFile).getDynamicObject() != nullptr)
            << "defaults written in its place";
        EXPECT_TRUE ((bool)readJson (settingsFile)["WarnDeleting"]);

        settingsFile.getParentDirectory().deleteRecursively();
    }
}

TEST_F (AppSettingsTest, ASecondDamagedFileDoesNotReplaceTheFirstOneKeptAside)
{
    writeSettings ("first damage");
    makeStore().reset();
    writeSettings ("second damage");
    makeStore().reset();

    const auto folderOfFile = settingsFile.getParentDirectory();
    juce::StringArray kept;

    for (auto& f : folderOfFile.findChildFiles (juce::File::findFiles, false, "settings.damaged*.json"))
        kept.add (f.loadFileAsString());

    kept.sort (false);
    EXPECT_EQ (kept, juce::StringArray ({"first damage", "second damage"}));
}

TEST_F (AppSettingsTest, AnEmptyFileHoldsNothingToKeepAndIsRewrittenWithDefaults)
{
    writeSettings ("");
    makeStore().reset();

    EXPECT_FALSE (settingsFile.getSiblingFile ("settings.damaged.json").exists());
    EXPECT_EQ (propertyNames (readJson (settingsFile)),
               juce::StringArray ({"WarnOverwriting", "WarnDeleting", "GuiLangId"}));
}

//==============================================================================
TEST (AppSettingsLanguages, TableRowsAndLookup)
{
    const auto& table = AppSettings::getLanguageTable();
    ASSERT_EQ (table.size(), 9);

    const char* ids[] = {"en", "fr", "de", "es", "it", "nl", "pt", "zh-CN", "ja"};

    for (int i = 0; i < 9; ++i)
    {
        EXPECT_EQ (table[i].id, ids[i]);
        EXPECT_EQ (table[i].fileName, juce::String (ids[i]) + ".txt");
        EXPECT_TRUE (table[i].displayName.isNotEmpty());
    }

    EXPECT_EQ (table[7].displayName,
               juce::String (juce::CharPointer_UTF8 ("\xe7\xae\x80\xe4\xbd\x93\xe4\xb8\xad\xe6\x96\x87")));

    const std::pair<const char*, int> lookups[] = {{"en-US", 0}, {"zh-TW", 7}, {"zh-CN", 7}, {"pt-BR", 6},
                                                   {"ja-JP", 8}, {"fr-CA", 1}, {"sv-SE", 0}, {"", 0},
                                                   {"j", 0},     {"JA", 0},    {"nl", 5}};

    for (auto& [id, row] : lookups)
    {
        SCOPED_TRACE (id);
        EXPECT_EQ (AppSettings::findLanguageIndex (id), row);
    }
}

TEST (AppSettingsLanguages, LocaleVariablesGiveTheDefaultLanguage)
{
    struct Case
    {
        std::map<std::string, std::string> environment;
        const char* language; // what the locale names
        const char* tableId;  // the row it selects
    };

    const Case cases[] = {
        {{{"LANG", "ja_JP.UTF-8"}}, "ja", "ja"},
        {{{"LANG", "zh_CN"}}, "zh-CN", "zh-CN"},
        {{{"LANG", "zh_TW.UTF-8"}}, "zh-TW", "zh-CN"},
        {{{"LANG", "pt_BR"}}, "pt", "pt"},
        {{{"LANG", "pt_PT.UTF-8"}}, "pt", "pt"},
        {{{"LANG", "de_DE@euro"}}, "de", "de"},
        {{{"LANG", "nl_BE.ISO-8859-1"}}, "nl", "nl"},
        {{{"LANG", "sv_SE.UTF-8"}}, "sv", "en"},
        {{{"LANG", "C.UTF-8"}}, "", "en"},
        {{{"LANG", "POSIX"}}, "", "en"},
        {{}, "", "en"},
        {{{"LC_ALL", "fr_FR.UTF-8"}, {"LC_MESSAGES", "it_IT"}, {"LANG", "de_DE"}}, "fr", "fr"},
        {{{"LC_MESSAGES", "it_IT.UTF-8"}, {"LANG", "de_DE"}}, "it", "it"},
        {{{"LC_ALL", ""}, {"LANG", "es_ES.UTF-8"}}, "es", "es"},
        {{{"LANGUAGE", "ja"}, {"LC_ALL", "C"}}, "", "en"},
        {{{"LANGUAGE", "ja"}}, "", "en"},
        {{{"LANGUAGE", "sv:nl:de"}, {"LANG", "en_US.UTF-8"}}, "nl", "nl"},
        {{{"LANGUAGE", "zh_CN:en"}, {"LANG", "en_US.UTF-8"}}, "zh-CN", "zh-CN"},
        {{{"LANGUAGE", "sv"}, {"LANG", "de_DE.UTF-8"}}, "sv", "en"},
        {{{"LANGUAGE", "::ja_JP"}, {"LANG", "de_DE.UTF-8"}}, "ja", "ja"},
    };

    for (auto& c : cases)
    {
        juce::String description;

        for (auto& [name, value] : c.environment)
            description << name << "=" << value << " ";

        SCOPED_TRACE (description);
        const auto language = AppSettings::languageFromLocale (
            [&c] (const char* name)
            {
                const auto it = c.environment.find (name);
                return it == c.environment.end() ? juce::String() : juce::String (it->second);
            });

        EXPECT_EQ (language, c.language);
        EXPECT_EQ (AppSettings::getLanguageTable()[AppSettings::findLanguageIndex (language)].id, c.tableId);
    }
}

TEST_F (AppSettingsTest, WithoutAStoredLanguageTheLocaleDecides)
{
    writeSettings ("{}");
    ScopedLocale locale ("zh_TW.UTF-8");
    auto store = makeStore();
    EXPECT_EQ (store->getGuiLangId(), "zh-CN");
    EXPECT_EQ (store->getGuiLangIndex(), 7);
}

TEST_F (AppSettingsTest, ChoosingALanguageInstallsItsTranslationAndStoresTheIdAsGiven)
{
    auto store = makeStore();

    store->setGuiLangId ("fr-CA");
    EXPECT_EQ (store->getGuiLangId(), "fr-CA");
    EXPECT_EQ (store->getGuiLangIndex(), 1);
    EXPECT_EQ (TRANS ("Close"), "Fermer");

    for (int outside : {9, -1})
    {
        store->setGuiLangIndex (8);
        store->setGuiLangIndex (outside);
        EXPECT_EQ (store->getGuiLangId(), "en");
        EXPECT_EQ (TRANS ("Close"), "Close");
    }
}

TEST_F (AppSettingsTest, AMissingTranslationFallsBackToEnglishThenToUntranslated)
{
    const auto translations = folder.getChildFile ("Translations");
    ASSERT_TRUE (translations.createDirectory());
    ASSERT_TRUE (translations.getChildFile ("en.txt").replaceWithText (
        "language: English\n\"Close\" = \"Close (en)\"\n"));
    ASSERT_TRUE (
        translations.getChildFile ("fr.txt").replaceWithText ("language: French\n\"Close\" = \"Fermer\"\n"));
    ASSERT_TRUE (translations.getChildFile ("de.txt").createDirectory()); // a folder is not a file

    auto store = makeStore (translations);
    store->setGuiLangId ("fr");
    EXPECT_EQ (TRANS ("Close"), "Fermer");

    store->setGuiLangId ("de");
    EXPECT_EQ (TRANS ("Close"), "Close (en)");

    ASSERT_TRUE (translations.getChildFile ("en.txt").deleteFile());
    store->setGuiLangId ("de");
    EXPECT_EQ (TRANS ("Close"), "Close");
    EXPECT_EQ (store->getGuiLangId(), "de");
}

//==============================================================================
TEST_F (AppSettingsTest, ListenersFollowRegistrationAtDeliveryTime)
{
    auto store = makeStore();
    deliverPending(); // the start's own announcements

    RecordingListener early, late, selfRemoving;
    store->addListener (&early);
    store->addListener (&early); // no duplicates
    store->addListener (&selfRemoving);
    selfRemoving.onCall = [&] { store->removeListener (&selfRemoving); };

    store->setShowTooltips (true);
    store->addListener (&late); // after the post, before the delivery
    store->setAutoUpdate (true);
    deliverPending();

    EXPECT_EQ (early.keys(), (std::vector<juce::Identifier>{Key::ShowTooltips, Key::AutoUpdate}));
    EXPECT_EQ (late.keys(), (std::vector<juce::Identifier>{Key::ShowTooltips, Key::AutoUpdate}));
    EXPECT_EQ (selfRemoving.keys(), (std::vector<juce::Identifier>{Key::ShowTooltips}));

    store->removeListener (&early);
    store->removeListener (&late);
    store->removeListener (&early); // not in the list any more: nothing happens
}

TEST_F (AppSettingsTest, NotificationsStillQueuedWhenTheStoreGoesAreDropped)
{
    RecordingListener listener;

    {
        auto store = makeStore();
        store->addListener (&listener);
        store->setAutoUpdate (false);
        store->removeListener (&listener);
        store->addListener (&listener);
        store.reset(); // destroyed with four announcements still queued
    }

    deliverPending();
    EXPECT_TRUE (listener.calls.empty());
    EXPECT_FALSE ((bool)readJson (settingsFile)["AutoUpdate"]) << "saved at destruction";
}

//==============================================================================
TEST (AppSettingsSingletonTest, OneStoreForTheProcessSavedWhenDeleted)
{
    using common::AppSettingsSingleton;

    EXPECT_EQ (AppSettingsSingleton::getInstanceWithoutCreating(), nullptr);
    auto* store = AppSettingsSingleton::getInstance();
    ASSERT_NE (store, nullptr);
    EXPECT_EQ (AppSettingsSingleton::getInstance(), store);
    EXPECT_EQ (AppSettingsSingleton::getInstanceWithoutCreating(), store);

    store->setValue (Key::BankCollectionOpen, true);
    AppSettingsSingleton::deleteInstance();
    EXPECT_EQ (AppSettingsSingleton::getInstanceWithoutCreating(), nullptr);

    const auto file = common::AppInfo::getSettingsFolder().getChildFile ("settings.json");
    EXPECT_TRUE ((bool)readJson (file)["BankCollectionOpen"]);

    deliverPending(); // the dropped announcements reach nobody
    juce::LocalisedStrings::setCurrentMappings (nullptr);
}

// The updater reads the store on its own thread, so that may be the first use.
TEST (AppSettingsSingletonTest, FirstUseOnAWorkerThreadIsSafe)
{
    using common::AppSettingsSingleton;
    ASSERT_EQ (AppSettingsSingleton::getInstanceWithoutCreating(), nullptr);

    AppSettingsSingleton* made = nullptr;
    bool warnsOnDelete = false;
    testing::internal::CaptureStderr();
    std::thread worker (
        [&]
        {
            made = AppSettingsSingleton::getInstance();
            warnsOnDelete = made->getWarnDeleting();
        });
    worker.join();
    const auto complaints = testing::internal::GetCapturedStderr();

    EXPECT_THAT (complaints, testing::Not (testing::HasSubstr ("JUCE Assertion failure")));
    ASSERT_NE (made, nullptr);
    EXPECT_EQ (AppSettingsSingleton::getInstance(), made);
    EXPECT_TRUE (warnsOnDelete);

    // The start-up values reach the file from the message thread, as with a store made there.
    const auto file = common::AppInfo::getSettingsFolder().getChildFile ("settings.json");
    ASSERT_TRUE (pumpMessagesUntil ([&] { return made->getNumberOfSaves() > 0; }));
    EXPECT_TRUE ((bool)readJson (file)["WarnDeleting"]);
    EXPECT_EQ (readJson (file)["GuiLangId"].toString(), made->getGuiLangId());

    AppSettingsSingleton::deleteInstance();
    deliverPending();
    juce::LocalisedStrings::setCurrentMappings (nullptr);
}
} // namespace
