#include "ProgramStaticData.h"

#include "common/AppSettings.h"
#include "common/AppSettingsSingleton.h"
#include "common/BeatChoices.h"
#include "common/SettingsKey.h"
#include "common/audiofile/AudioFileToolsReaderFactory.h"
#include "common/player/AudioPlayer.h"
#include "common/reader/Mpg123DynamicLibraryHandle.h"
#include "common/updater/Updater.h"
#include "common/usage/CryptoFile.h"
#include "common/usage/UsageLogger.h"
#include "vantor/dataset/ErrorKind.h"
#include "vantor/ui/IconSvgs.h"

#include <gmock/gmock.h>

extern "C"
{
#include <libavutil/log.h>
}

#include <algorithm>
#include <cstdlib>
#include <thread>

namespace
{
// Set in a child run of this program: the child tests below only run there.
constexpr const char* childVariable = "GLORVAK_STATIC_DATA_CHILD";
// The folder where the child keeps its usage statistics, so that the parent can read them.
constexpr const char* logFolderVariable = "GLORVAK_STATIC_DATA_LOG_FOLDER";

bool isChild()
{
    return std::getenv (childVariable) != nullptr;
}

//==============================================================================
// In the child: what the program does from main to exit, touching every static object, then an
// ordinary return from main, JUCE's shut-down and the release of the statics at exit.
TEST (ProgramStaticDataChild, TouchesEveryStaticAndExits)
{
    if (!isChild())
        GTEST_SKIP() << "runs in the child started by ProgramStaticData tests";

    using common::AppSettingsSingleton;
    using common::CryptoFile;
    using common::AudioFileToolsImpl::TovraAudioReaderFactorySingleton;
    using common::player::AudioPlayer;
    using common::updater::Updater;
    using quelbix::Mpg123DynamicLibraryHandle;

    // The first thing after main: other threads ask for the singletons at once, racing the
    // message thread, which creates the three that belong to it (the others only look at those).
    // Every holder is ready, no singleton is made twice, and the thread-safe ones are made from
    // any thread.
    struct Seen
    {
        std::vector<void*> settings, updater, player;
        void* crypto = nullptr;
        void* factory = nullptr;
        void* mp3 = nullptr;
    };

    std::atomic<bool> go{false}, messageThreadDone{false};
    std::vector<Seen> seen (4);
    std::vector<std::thread> threads;

    for (auto& s : seen)
        threads.emplace_back (
            [&go, &messageThreadDone, &s]
            {
                while (!go)
                    std::this_thread::yield();

                s.crypto = CryptoFile::getInstance();
                s.factory = TovraAudioReaderFactorySingleton::getInstance();
                s.mp3 = &Mpg123DynamicLibraryHandle::getInstance();

                // Each sequence records its changes only: null until created, then the instance.
                const auto note = [] (std::vector<void*>& sequence, void* pointer)
                {
                    if (sequence.empty() || sequence.back() != pointer)
                        sequence.push_back (pointer);
                };

                for (bool last = false; !last;)
                {
                    last = messageThreadDone;
                    note (s.settings, AppSettingsSingleton::getInstanceWithoutCreating());
                    note (s.updater, Updater::getInstanceWithoutCreating());
                    note (s.player, AudioPlayer::getInstanceWithoutCreating());
                }
            });

    go = true;
    auto* settings = AppSettingsSingleton::getInstance();
    auto* updater = Updater::getInstance();
    auto* player = AudioPlayer::getInstance();
    messageThreadDone = true;

    for (auto& t : threads)
        t.join();

    ASSERT_NE (settings, nullptr);
    ASSERT_NE (updater, nullptr);
    ASSERT_NE (player, nullptr);

    const auto onlyNullThen = [] (const std::vector<void*>& sequence, void* instance) {
        return sequence == std::vector<void*>{instance} || sequence == std::vector<void*>{nullptr, instance};
    };

    for (const auto& s : seen)
    {
        EXPECT_TRUE (onlyNullThen (s.settings, settings));
        EXPECT_TRUE (onlyNullThen (s.updater, updater));
        EXPECT_TRUE (onlyNullThen (s.player, player));
        EXPECT_EQ (s.crypto, CryptoFile::getInstance());
        EXPECT_EQ (s.factory, TovraAudioReaderFactorySingleton::getInstance());
        EXPECT_EQ (s.mp3, &Mpg123DynamicLibraryHandle::getInstance());
    }

    // The rest of the static data, as its users read it.
    EXPECT_TRUE (ProgramStaticData::isSetUp());
    EXPECT_TRUE (juce::isPositiveAndBelow (settings->getGuiLangIndex(), 9));
    EXPECT_EQ (common::AppSettings::getLanguageTable().size(), 9);
    EXPECT_EQ (common::BeatChoices.size(), 7);
    EXPECT_EQ (juce::Identifier ("GuiLangId"), common::SettingsKey::GuiLangId);
    EXPECT_EQ (vantor::dataset::errorkind::invalidFormat, "invalidformat");

    for (int i = 0; i < vantor::ui::IconSvgs::numIds; ++i)
        EXPECT_NE (vantor::ui::IconSvgs::createDrawable ((vantor::ui::IconSvgs::Id)i), nullptr);

    // Values that are saved or released at shut-down: an unsaved setting, a library reference
    // taken and given back, encrypted statistics started and stopped as the application does.
    settings->setShowTooltips (false);
    EXPECT_NE (CryptoFile::getInstance()->readJsonFile (juce::File()), juce::var (1));

    auto& mp3 = Mpg123DynamicLibraryHandle::getInstance();
    if (mp3.loadLibrary())
        mp3.release();

    auto environment = common::UsageLogger::getSystemEnvironment();
    environment.logFolder = juce::File (juce::SystemStats::getEnvironmentVariable (logFolderVariable, {}));
    environment.uploadUrl = {};
    common::UsageLogger::setEnvironment (environment);
    common::UsageLogger::start();
    common::UsageLogger::countBpmCalc();
    common::UsageLogger::stop (3, "en");

    // The application's and the composition root's share of the shut-down; JUCE's own follows
    // when main returns.
    updater->stopThread (10000);
    Updater::deleteInstance();
    AudioPlayer::deleteInstance();
}

// In the child: a program that quits by a path that never stops the statistics.
TEST (ProgramStaticDataChild, StartsTheStatisticsAndNeverStopsThem)
{
    if (!isChild())
        GTEST_SKIP() << "runs in the child started by ProgramStaticData tests";

    auto environment = common::UsageLogger::getSystemEnvironment();
    environment.logFolder = juce::File (juce::SystemStats::getEnvironmentVariable (logFolderVariable, {}));
    environment.uploadUrl = {};
    common::UsageLogger::setEnvironment (environment);
    common::UsageLogger::start();
    common::UsageLogger::countBpmCalc();
}

// In the child: a leak on purpose, to show that the parent's check sees one.
TEST (ProgramStaticDataChild, LeaksOnPurpose)
{
    if (!isChild())
        GTEST_SKIP() << "runs in the child started by ProgramStaticData tests";

    auto* leaked = new juce::MemoryBlock (64);
    juce::ignoreUnused (leaked);
}

//==============================================================================
struct ChildRun
{
    bool started = false;
    juce::uint32 exitCode = 0;
    juce::String output;
};

// Runs one child test of this program to its end and collects everything it printed.
ChildRun runChild (const juce::String& testName, const juce::File& logFolder)
{
    ::setenv (childVariable, "1", 1);
    ::setenv (logFolderVariable, logFolder.getFullPathName().toRawUTF8(), 1);

    juce::ChildProcess child;
    ChildRun run;
    run.started = child.start (
        juce::StringArray{
            juce::File::getSpecialLocation (juce::File::currentExecutableFile).getFullPathName(),
            "--gtest_filter=ProgramStaticDataChild." + testName},
        juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr);

    ::unsetenv (childVariable);
    ::unsetenv (logFolderVariable);

    if (run.started)
    {
        run.output = child.readAllProcessOutput();
        child.waitForProcessToFinish (120000);
        run.exitCode = child.getExitCode();
    }

    return run;
}

// Every complaint that the sanitizers and JUCE print about a release at exit.
const char* const exitComplaints[] = {
    "LeakSanitizer", "AddressSanitizer", "runtime error", "Leaked objects", "JUCE Assertion failure",
};

// The program's statics exist before main, serve every thread from its start, and are released
// at exit, after JUCE's shut-down, without a leak, a sanitizer report or a JUCE assertion; the
// usage statistics' exit hook still writes "$shutdown" then.
TEST (ProgramStaticData, ChildTouchingEveryStaticExitsCleanly)
{
    if (isChild())
        GTEST_SKIP();

    // Below this program's private home, which goes with it.
    const auto logFolder =
        juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("child-log");
    const auto run = runChild ("TouchesEveryStaticAndExits", logFolder);
    ASSERT_TRUE (run.started);

    EXPECT_EQ (run.exitCode, 0u) << run.output;
    EXPECT_TRUE (run.output.contains ("[  PASSED  ] 1 test.")) << run.output;

    for (const auto* complaint : exitComplaints)
        EXPECT_FALSE (run.output.contains (complaint)) << run.output;

    EXPECT_EQ (logFolder.getChildFile ("$shutdown").getSize(), 8);
}

// What the statistics held goes at JUCE's shut-down, unsaved as in a killed process, before JUCE
// checks for leaks; only a stopped run writes "$shutdown".
TEST (ProgramStaticData, StatisticsNeverStoppedGoQuietlyAtShutDown)
{
    if (isChild())
        GTEST_SKIP();

    const auto logFolder =
        juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("never-stopped-log");
    const auto run = runChild ("StartsTheStatisticsAndNeverStopsThem", logFolder);
    ASSERT_TRUE (run.started);

    EXPECT_EQ (run.exitCode, 0u) << run.output;
    EXPECT_TRUE (run.output.contains ("[  PASSED  ] 1 test.")) << run.output;

    for (const auto* complaint : exitComplaints)
        EXPECT_FALSE (run.output.contains (complaint)) << run.output;

    EXPECT_TRUE (logFolder.isDirectory());
    EXPECT_FALSE (logFolder.getChildFile ("$shutdown").exists());
    EXPECT_FALSE (logFolder.getChildFile ("status").exists());
}

// The check above would see a leak: the child that leaks on purpose fails at exit.
TEST (ProgramStaticData, LeakInTheChildIsSeen)
{
    if (isChild())
        GTEST_SKIP();

        // Each watcher that this build has must report the leak; a plain optimised build has none.
#if defined(__SANITIZE_ADDRESS__)
    constexpr bool leakSanitizer = true;
#else
    constexpr bool leakSanitizer = false;
#endif
#if JUCE_CHECK_MEMORY_LEAKS
    constexpr bool leakDetector = true;
#else
    constexpr bool leakDetector = false;
#endif

    if (!leakSanitizer && !leakDetector)
        GTEST_SKIP() << "this build has neither LeakSanitizer nor JUCE's leak detector";

    const auto run = runChild ("LeaksOnPurpose", {});
    ASSERT_TRUE (run.started);

    // LeakSanitizer fails the run; JUCE's detector only reports.
    if (leakSanitizer)
    {
        EXPECT_NE (run.exitCode, 0u);
        EXPECT_TRUE (run.output.contains ("LeakSanitizer")) << run.output;
    }

    if (leakDetector)
    {
        EXPECT_TRUE (run.output.contains ("Leaked objects")) << run.output;
    }
}

//==============================================================================
TEST (ProgramStaticData, IsSetUpBeforeMainWithTheDecoderLibraryQuiet)
{
    // Nothing in this test program has opened a reader: the set-up silenced the library.
    EXPECT_TRUE (ProgramStaticData::isSetUp());
    EXPECT_EQ (av_log_get_level(), AV_LOG_QUIET);
    EXPECT_EQ (quelbix::Mpg123DynamicLibraryHandle::getLibraryName(), "libmpg123.so.0");
}

TEST (ProgramStaticData, BeatChoicesAreTheSevenOfferedNumbers)
{
    EXPECT_EQ (common::BeatChoices, juce::StringArray ({"1", "2", "3", "4", "8", "16", "32"}));

    for (const auto* absent : {"5", "6", "7"})
        EXPECT_FALSE (common::BeatChoices.contains (absent)) << absent;
}

TEST (ProgramStaticData, KeysAndResultKindsAreTheStoredTexts)
{
    const std::pair<const juce::Identifier*, const char*> keys[] = {
        {&common::SettingsKey::SkipThisVersion, "SkipThisVersion"},
        {&common::SettingsKey::WarnOverwriting, "WarnOverwriting"},
        {&common::SettingsKey::WarnDeleting, "WarnDeleting"},
        {&common::SettingsKey::ShowTooltips, "ShowTooltips"},
        {&common::SettingsKey::AutoUpdate, "AutoUpdate"},
        {&common::SettingsKey::GuiLangId, "GuiLangId"},
        {&common::SettingsKey::BankCollectionOpen, "BankCollectionOpen"},
        {&common::SettingsKey::PinnedFolders, "PinnedFolders"},
    };

    for (const auto& [key, text] : keys)
    {
        SCOPED_TRACE (text);
        // Interned: a key made from the same text anywhere is the same pooled string.
        EXPECT_EQ (key->getCharPointer().getAddress(), juce::Identifier (text).getCharPointer().getAddress());
    }

    using namespace vantor::dataset::errorkind;
    EXPECT_EQ ((std::vector<juce::String>{unspecified, copy, notFound, invalidFormat, cancelled}),
               (std::vector<juce::String>{"unspecified", "copy", "notfound", "invalidformat", "cancelled"}));
}
} // namespace
