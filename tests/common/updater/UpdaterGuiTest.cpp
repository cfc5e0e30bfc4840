#include "common/AppSettings.h"
#include "common/updater/Updater.h"

#include "support/LoopbackHttpServer.h"

#include "support/MessagePump.h"

#include <gmock/gmock.h>

#include <unistd.h>

using common::updater::Updater;
using glorvak::test::LoopbackHttpServer;

namespace
{
using glorvak::test::pumpMessagesUntil;

// Lets the message loop run for a while, to show that nothing more arrives.
void pumpMessagesFor (int milliseconds)
{
    pumpMessagesUntil ([] { return false; }, milliseconds);
}

juce::String documentOffering (const juce::String& version, const juce::String& address)
{
    return juce::JSON::toString (juce::JSON::parse (
        "{ \"version\": \"" + version +
        "\", \"download_url\": { \"win\": \"https://example.com/setup.exe\", \"linux\": \"" + address +
        "\" }, \"release_notes\": { \"en\": \"Faster export.\\r\\nNew pads.\" } }"));
}

juce::StringArray buttonTexts (juce::AlertWindow& window)
{
    juce::StringArray texts;

    for (auto* child : window.getChildren())
        if (auto* button = dynamic_cast<juce::TextButton*> (child))
            texts.add (button->getButtonText());

    return texts;
}

// With GLORVAK_SCREENSHOTS set to a folder, saves the screen there for a look at the dialogs.
void screenshot (const juce::String& name)
{
    const auto folder = juce::SystemStats::getEnvironmentVariable ("GLORVAK_SCREENSHOTS", {});

    if (folder.isEmpty())
        return;

    pumpMessagesFor (300);
    juce::ChildProcess import;

    if (import.start (juce::StringArray ("import", "-window", "root", folder + "/" + name + ".png"), 0))
        import.waitForProcessToFinish (10000);
}

class UpdaterGui : public ::testing::Test
{
protected:
    void SetUp() override
    {
        downloads = juce::File::getSpecialLocation (juce::File::userHomeDirectory)
                        .getNonexistentChildFile ("downloads", "");
        settings = std::make_unique<common::AppSettings> (settingsFile.getFile(), juce::File());
        serveDocument (documentOffering ("1.0.1.0001", server.url ("/files/glorvak-updater.run")));

        LoopbackHttpServer::Response program =
            LoopbackHttpServer::Response::text (200, "#!/bin/sh\nexit 0\n");
        server.setRoute ("/files/glorvak-updater.run", program);
    }

    void TearDown() override { downloads.deleteRecursively(); }

    void serveDocument (const juce::String& text, int status = 200)
    {
        server.setRoute ("/update-info.json", LoopbackHttpServer::Response::text (status, text));
    }

    std::unique_ptr<Updater> makeUpdater (const juce::String& infoPath = "/update-info.json")
    {
        Updater::Options options;
        options.updateInfoUrl = infoPath.isEmpty() ? juce::String() : server.url (infoPath);
        options.productVersion = "1.0.0.0336";
        options.downloadFolder = downloads;
        options.settings = settings.get();
        options.allowLoopbackHttp = true;
        options.launch = [this] (const juce::StringArray& arguments)
        {
            launches.add (arguments);
            return launchSucceeds;
        };
        options.quit = [this] { ++quits; };
        return std::make_unique<Updater> (std::move (options));
    }

    // The updater's dialog once it shows with this title; null (and a failure) otherwise.
    static juce::AlertWindow* waitForDialog (Updater& updater, const juce::String& title)
    {
        const bool shown = pumpMessagesUntil (
            [&]
            {
                auto* dialog = updater.getCurrentDialog();
                return dialog != nullptr && dialog->isShowing() && dialog->getName() == title;
            });

        EXPECT_TRUE (shown) << "no dialog \"" << title << "\"; current: "
                            << (updater.getCurrentDialog() != nullptr ? updater.getCurrentDialog()->getName()
                                                                      : juce::String ("none"));
        return shown ? updater.getCurrentDialog() : nullptr;
    }

    // Runs the automatic check to its end; true when it showed the update dialog.
    bool automaticCheckOffersUpdate (Updater& updater)
    {
        updater.startAutomaticCheck();
        EXPECT_TRUE (updater.isBusy());
        EXPECT_TRUE (pumpMessagesUntil ([&] { return !updater.isThreadRunning(); }));
        pumpMessagesFor (200); // the dialog is posted to the message thread
        auto* dialog = updater.getCurrentDialog();
        return dialog != nullptr && dialog->isShowing();
    }

    LoopbackHttpServer server;
    juce::TemporaryFile settingsFile{".json"};
    std::unique_ptr<common::AppSettings> settings;
    juce::File downloads;
    juce::Array<juce::StringArray> launches;
    bool launchSucceeds = true;
    int quits = 0;
};
} // namespace

TEST_F (UpdaterGui, AutomaticCheckOffersANewerVersionWithThreeChoices)
{
    auto updater = makeUpdater();
    ASSERT_TRUE (automaticCheckOffersUpdate (*updater));

    auto* dialog = waitForDialog (*updater, "A new version is available");
    ASSERT_NE (dialog, nullptr);
    EXPECT_EQ (buttonTexts (*dialog),
               juce::StringArray ("Update Now", "Remind Me Later", "Skip This Version"));
    EXPECT_EQ (updater->getLastOffer().version, "1.0.1.0001");
    screenshot ("update-dialog-automatic");

    // While it shows, neither check starts again.
    updater->checkNow();
    updater->startAutomaticCheck();
    EXPECT_FALSE (updater->isBusy());

    dialog->triggerButtonClick ("Remind Me Later");
    ASSERT_TRUE (pumpMessagesUntil ([&] { return !dialog->isShowing(); }));
    EXPECT_TRUE (settings->getValue (common::SettingsKey::SkipThisVersion, {}).isVoid());
    EXPECT_TRUE (launches.isEmpty());
}

TEST_F (UpdaterGui, AutomaticCheckStaysSilentUnlessANewerVersionIsReadable)
{
    const struct
    {
        const char* what;
        juce::String document;
        int status;
    } cases[] = {
        {"equal version", documentOffering ("1.0.0.0336", server.url ("/files/u.run")), 200},
        {"older version", documentOffering ("1.0.0.0335", server.url ("/files/u.run")), 200},
        {"404", documentOffering ("1.0.1.0001", server.url ("/files/u.run")), 404},
        {"500", documentOffering ("1.0.1.0001", server.url ("/files/u.run")), 500},
        {"malformed", "{ \"version\": \"1.0.1.0001\"", 200},
        {"plain http", documentOffering ("1.0.1.0001", "http://example.com/u.run"), 200},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        serveDocument (c.document, c.status);
        auto updater = makeUpdater();
        EXPECT_FALSE (automaticCheckOffersUpdate (*updater));
    }

    // Switched off, or no server configured: no check at all.
    settings->setAutoUpdate (false);
    auto updater = makeUpdater();
    updater->startAutomaticCheck();
    EXPECT_FALSE (updater->isBusy());
    settings->setAutoUpdate (true);
    auto withoutServer = makeUpdater ({});
    withoutServer->startAutomaticCheck();
    EXPECT_FALSE (withoutServer->isBusy());
}

TEST_F (UpdaterGui, SkippedVersionSilencesOnlyTheAutomaticCheckForThatVersion)
{
    {
        auto updater = makeUpdater();
        ASSERT_TRUE (automaticCheckOffersUpdate (*updater));
        auto* dialog = waitForDialog (*updater, "A new version is available");
        ASSERT_NE (dialog, nullptr);
        dialog->triggerButtonClick ("Skip This Version");
        ASSERT_TRUE (pumpMessagesUntil (
            [&] { return settings->getValue (common::SettingsKey::SkipThisVersion, {}).isString(); }));
        EXPECT_EQ (settings->getValue (common::SettingsKey::SkipThisVersion, {}).toString(), "1.0.1.0001");
    }

    EXPECT_FALSE (automaticCheckOffersUpdate (*makeUpdater()));

    // The manual check still offers it, with "Update Now" and "Close".
    auto manual = makeUpdater();
    manual->checkNow();
    auto* offered = waitForDialog (*manual, "A new version is available");
    ASSERT_NE (offered, nullptr);
    EXPECT_EQ (buttonTexts (*offered), juce::StringArray ("Update Now", "Close"));
    screenshot ("update-dialog-manual");
    offered->triggerButtonClick ("Close");
    ASSERT_TRUE (pumpMessagesUntil ([&] { return !offered->isShowing(); }));

    // The next version is offered again.
    serveDocument (documentOffering ("1.0.1.0002", server.url ("/files/glorvak-updater.run")));
    EXPECT_TRUE (automaticCheckOffersUpdate (*makeUpdater()));
}

TEST_F (UpdaterGui, ManualCheckAlwaysEndsWithADialog)
{
    const struct
    {
        const char* what;
        juce::String document;
        int status;
        const char* title;
    } cases[] = {
        {"equal version", documentOffering ("1.0.0.0336", server.url ("/files/u.run")), 200, "Up to Date"},
        {"older version", documentOffering ("1.0.0.0100", server.url ("/files/u.run")), 200, "Up to Date"},
        {"404", documentOffering ("1.0.1.0001", server.url ("/files/u.run")), 404,
         "Unable to Check for Updates"},
        {"500", documentOffering ("1.0.1.0001", server.url ("/files/u.run")), 500,
         "Unable to Check for Updates"},
        {"malformed", "<html>Service Unavailable</html>", 200, "Unable to Check for Updates"},
        {"empty object", "{}", 200, "Unable to Check for Updates"},
        {"plain http download", documentOffering ("1.0.1.0001", "http://example.com/u.run"), 200,
         "Unable to Check for Updates"},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        serveDocument (c.document, c.status);
        auto updater = makeUpdater();
        updater->checkNow();
        EXPECT_TRUE (updater->isBusy());

        auto* dialog = waitForDialog (*updater, c.title);
        ASSERT_NE (dialog, nullptr);
        EXPECT_EQ (buttonTexts (*dialog), juce::StringArray ("OK"));
        EXPECT_FALSE (updater->isBusy());

        if (juce::String (c.what) == "500")
            screenshot ("unable-to-check");

        dialog->triggerButtonClick ("OK");
        ASSERT_TRUE (pumpMessagesUntil ([&] { return !dialog->isShowing(); }));
    }

    auto withoutServer = makeUpdater ({});
    withoutServer->checkNow();
    auto* cannotCheck = waitForDialog (*withoutServer, "Unable to Check for Updates");
    ASSERT_NE (cannotCheck, nullptr);
    cannotCheck->triggerButtonClick ("OK");
    ASSERT_TRUE (pumpMessagesUntil ([&] { return !cannotCheck->isShowing(); }));

    // A slow server: the progress window stays until the answer is in.
    auto slow = LoopbackHttpServer::Response::text (
        200, documentOffering ("1.0.0.0336", server.url ("/files/u.run")));
    slow.hold = LoopbackHttpServer::Response::Hold::midBody;
    server.setRoute ("/slow.json", slow);
    auto patient = makeUpdater ("/slow.json");
    patient->checkNow();
    ASSERT_TRUE (pumpMessagesUntil ([&] { return server.getNumRequests ("/slow.json") > 0; }));
    auto* progress =
        dynamic_cast<juce::AlertWindow*> (juce::ModalComponentManager::getInstance()->getModalComponent (0));
    ASSERT_NE (progress, nullptr);
    EXPECT_EQ (progress->getName(), "Checking for Updates...");
    EXPECT_EQ (progress->getNumButtons(), 0);
    screenshot ("checking-for-updates");
    server.release();
    EXPECT_NE (waitForDialog (*patient, "Up to Date"), nullptr);
}

TEST_F (UpdaterGui, UpdateNowDownloadsStartsTheUpdaterAndQuits)
{
    auto updater = makeUpdater();
    updater->checkNow();
    auto* dialog = waitForDialog (*updater, "A new version is available");
    ASSERT_NE (dialog, nullptr);
    dialog->triggerButtonClick ("Update Now");

    ASSERT_TRUE (pumpMessagesUntil ([&] { return quits > 0; }));
    const auto target = downloads.getChildFile ("glorvak-updater.run");
    ASSERT_EQ (launches.size(), 1);
    EXPECT_EQ (launches[0], juce::StringArray (target.getFullPathName()));
    EXPECT_EQ (target.loadFileAsString(), "#!/bin/sh\nexit 0\n");
    EXPECT_EQ (::access (target.getFullPathName().toRawUTF8(), X_OK), 0);
    EXPECT_EQ (downloads.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1); // no temporary left
    EXPECT_EQ (quits, 1);
}

TEST_F (UpdaterGui, FailedDownloadsAreReportedAndLeaveNothingBehind)
{
    auto updater = makeUpdater();

    // An old download of the same name is replaced, never started instead.
    downloads.getChildFile ("glorvak-updater.run").create();
    server.setRoute ("/files/glorvak-updater.run", LoopbackHttpServer::Response::text (404, "no such file"));
    ASSERT_TRUE (updater->startDownload (server.url ("/files/glorvak-updater.run")));
    auto* error = waitForDialog (*updater, "Download Error");
    ASSERT_NE (error, nullptr);
    screenshot ("download-error");
    EXPECT_EQ (downloads.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0);
    error->triggerButtonClick ("OK");
    ASSERT_TRUE (pumpMessagesUntil ([&] { return !error->isShowing(); }));

    // Hostile names and plain addresses are refused before anything is fetched.
    for (const auto* path : {"/files/..%2F..%2F.profile", "/files/..", "/files/"})
    {
        SCOPED_TRACE (path);
        ASSERT_TRUE (updater->startDownload (server.url (path)));
        auto* refused = waitForDialog (*updater, "Download Error");
        ASSERT_NE (refused, nullptr);
        refused->triggerButtonClick ("OK");
        ASSERT_TRUE (pumpMessagesUntil ([&] { return !refused->isShowing(); }));
        EXPECT_EQ (server.getNumRequests (juce::String (path).upToFirstOccurrenceOf ("?", false, false)), 0);
    }

    Updater::Options productOptions = updater->getOptions();
    productOptions.allowLoopbackHttp = false;
    Updater product (productOptions);
    server.setRoute ("/files/plain.run", LoopbackHttpServer::Response::text (200, "x"));
    product.startDownload (server.url ("/files/plain.run"));
    EXPECT_NE (waitForDialog (product, "Download Error"), nullptr);
    EXPECT_EQ (server.getNumRequests ("/files/plain.run"), 0);

    EXPECT_TRUE (launches.isEmpty());
    EXPECT_EQ (quits, 0);
}

TEST_F (UpdaterGui, CancelDeletesThePartialDownload)
{
    auto held = LoopbackHttpServer::Response::text (200, juce::String::repeatedString ("x", 200000));
    held.hold = LoopbackHttpServer::Response::Hold::midBody;
    server.setRoute ("/files/big-updater.run", held);

    auto updater = makeUpdater();
    ASSERT_TRUE (updater->startDownload (server.url ("/files/big-updater.run")));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return server.getNumRequests ("/files/big-updater.run") > 0; }));

    // A second "Update Now" while it runs does nothing.
    EXPECT_FALSE (updater->startDownload (server.url ("/files/big-updater.run")));

    auto* progress =
        dynamic_cast<juce::AlertWindow*> (juce::ModalComponentManager::getInstance()->getModalComponent (0));
    ASSERT_NE (progress, nullptr);
    EXPECT_EQ (progress->getName(), "Downloading updater...");
    screenshot ("downloading");

    progress->triggerButtonClick ("Cancel");
    auto* canceled = waitForDialog (*updater, "Download Canceled");
    ASSERT_NE (canceled, nullptr);
    screenshot ("download-canceled");
    EXPECT_EQ (downloads.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0);
    EXPECT_TRUE (launches.isEmpty());
}

TEST_F (UpdaterGui, AnUpdaterThatCannotStartIsReportedAndTheProgramKeepsRunning)
{
    launchSucceeds = false;
    auto updater = makeUpdater();
    ASSERT_TRUE (updater->startDownload (server.url ("/files/glorvak-updater.run")));
    auto* failed = waitForDialog (*updater, "Failed to Launch Updater");
    ASSERT_NE (failed, nullptr);
    EXPECT_EQ (buttonTexts (*failed), juce::StringArray ("Open Folder", "OK"));
    screenshot ("failed-to-launch");
    EXPECT_EQ (quits, 0);
    EXPECT_TRUE (downloads.getChildFile ("glorvak-updater.run").existsAsFile());

    failed->triggerButtonClick ("Open Folder");
    ASSERT_TRUE (pumpMessagesUntil ([&] { return launches.size() == 2; }));
    EXPECT_EQ (launches[1], juce::StringArray ("xdg-open", downloads.getFullPathName()));
}

TEST_F (UpdaterGui, TheRealLauncherRefusesWhatCannotRun)
{
    // Default launcher: a file without the right to run it is refused before any process starts.
    Updater::Options options = Updater::Options::forThisProgram();
    juce::TemporaryFile notAProgram (".run");
    ASSERT_TRUE (notAProgram.getFile().replaceWithText ("data"));
    EXPECT_FALSE (options.launch (juce::StringArray (notAProgram.getFile().getFullPathName())));
    EXPECT_FALSE (options.launch (juce::StringArray (downloads.getChildFile ("missing").getFullPathName())));
    EXPECT_FALSE (options.launch ({}));
}
