#include "vantor/FileOperations.h"

#include "common/AppInfo.h"
#include "common/AppSettingsSingleton.h"
#include "vantor/VantorComponent.h"
#include "vantor/ui/DialogHelper.h"
#include "vantor/ui/DialogHelperCommandThread.h"
#include "vantor/ui/LookAndFeel.h"

#include "support/MessagePump.h"
#include "support/Screenshot.h"
#include "support/WholeSetFixtures.h"

#include <gtest/gtest.h>

using namespace glorvak::test;
using vantor::ui::DialogHelper;

namespace
{
bool hasTextBlock (juce::AlertWindow& window, const juce::String& text)
{
    for (auto* child : window.getChildren())
        if (auto* editor = dynamic_cast<juce::TextEditor*> (child))
            if (editor->getText() == text)
                return true;
    return false;
}

/** The whole editing side over a data folder with one SLOT, shown in a window, as the program
    builds it; a folder stands for the removable volume. */
class FileOperationsGui : public ::testing::Test
{
protected:
    FileOperationsGui()
    {
        juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);
        dataFolder.deleteRecursively();
        writeModelFolder (dataFolder, {{0, 0, "a.wav", 9600, 0, -1, "first"}});
        writeCollectionFolder (dataFolder, 1, {});
        component = std::make_unique<vantor::VantorComponent>();
        component->setSize (1280, 776);
        component->addToDesktop (juce::ComponentPeer::windowHasTitleBar);
        component->setVisible (true);
        volume.createDirectory();
    }

    ~FileOperationsGui() override
    {
        component.reset(); // releases the dialogs and waits for the worker
        pumpMessagesUntil (
            [] { return juce::ModalComponentManager::getInstance()->getNumModalComponents() == 0; });
        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
        dataFolder.deleteRecursively();
    }

    vantor::service::IVantorDataMediator* service() { return &component->getService(); }

    bool completedBoxTitled (const juce::String& title)
    {
        auto* box = DialogHelper::getCurrentDialog();
        return box != nullptr && box->getName() == title &&
               DialogHelper::getDialogMessage (*box) == "Completed.";
    }

    bool waitForTheWorker()
    {
        return pumpMessagesUntil ([] { return DialogHelper::isWorkerFree(); }, 120000);
    }

    juce::StringArray errorBubbles()
    {
        juce::StringArray texts;
        for (const auto& entry : component->getMessageManager().getQueuedEntries())
            if (entry.kind == 0)
                texts.add (entry.text);
        return texts;
    }

    vantor::LookAndFeel lookAndFeel;
    ScratchFolder scratch;
    juce::File dataFolder = common::AppInfo::getUserDataFolder();
    juce::File volume = scratch.child ("USB STICK");
    std::unique_ptr<vantor::VantorComponent> component;
};
} // namespace

TEST_F (FileOperationsGui, ExportShowsTheNoteDropsASecondRequestAndCompletesAfterSuccess)
{
    ASSERT_TRUE (vantor::runExport (service(), volume));
    auto* worker = DialogHelper::getCurrentWorker();
    ASSERT_NE (worker, nullptr);
    auto& progress = worker->getProgressWindow();
    EXPECT_TRUE (
        hasTextBlock (*progress.getAlertWindow(),
                      TRANS ("*Do not remove the storage device until the processing is complete.")));
    EXPECT_FALSE (vantor::runExport (service(), volume));
    EXPECT_FALSE (vantor::runBackup (service(), scratch.child ("b.zip")));
    EXPECT_EQ (DialogHelper::getCurrentWorker(), worker);
    screenshot ("file-operations-export-progress");

    ASSERT_TRUE (pumpMessagesUntil ([&] { return completedBoxTitled (TRANS ("Export")); }, 120000));
    screenshot ("file-operations-export-completed");
    EXPECT_TRUE (volume.getChildFile ("Quorvane/GLORVAK/GLORVAKSETTINGS.json").existsAsFile());
    EXPECT_TRUE (progress.getStatusHistory().contains ("Preparing..."));
    EXPECT_TRUE (errorBubbles().isEmpty());

    // Once it has finished, the next one starts normally.
    ASSERT_TRUE (waitForTheWorker());
    DialogHelper::getCurrentDialog()->exitModalState (0);
    ASSERT_TRUE (vantor::runImport (service(), volume));
    EXPECT_FALSE (
        hasTextBlock (*DialogHelper::getCurrentWorker()->getProgressWindow().getAlertWindow(),
                      TRANS ("*Do not remove the storage device until the processing is complete.")));
    EXPECT_TRUE (pumpMessagesUntil ([&] { return completedBoxTitled (TRANS ("Import")); }, 120000));
}

TEST_F (FileOperationsGui, AFailureShowsItsBubbleAndNoCompletionBox)
{
    const auto notAnArchive = scratch.child ("broken.zip");
    notAnArchive.replaceWithText ("not a zip");

    ASSERT_TRUE (vantor::runRestore (service(), notAnArchive));
    ASSERT_TRUE (waitForTheWorker());
    EXPECT_TRUE (pumpMessagesUntil ([&] { return !errorBubbles().isEmpty(); }));
    screenshot ("file-operations-restore-failed");
    EXPECT_EQ (DialogHelper::getCurrentDialog(), nullptr);
    EXPECT_EQ (component->getSlotView().getRowName (0), "first"); // the working set is untouched
    EXPECT_TRUE (dataFolder.getChildFile ("model/model.json").existsAsFile());

    // An import from a folder without the unit's files fails the same way.
    ASSERT_TRUE (vantor::runImport (service(), scratch.child ("empty")));
    ASSERT_TRUE (waitForTheWorker());
    EXPECT_EQ (DialogHelper::getCurrentDialog(), nullptr);
}

TEST_F (FileOperationsGui, CancelLeavesNoCompletionBoxAndNoHalfArchive)
{
    const auto archive = scratch.child ("backup.zip");
    ASSERT_TRUE (vantor::runBackup (service(), archive));
    EXPECT_TRUE (vantor::isFileOperationRunning());
    EXPECT_TRUE (vantor::cancelRunningFileOperation());
    ASSERT_TRUE (waitForTheWorker());
    EXPECT_FALSE (vantor::isFileOperationRunning());
    EXPECT_FALSE (vantor::cancelRunningFileOperation());

    // The archive is whole or absent, never half-written: it appears in one step once complete.
    // A cancel that came after that step leaves the whole archive without a completion box.
    if (DialogHelper::getCurrentDialog() != nullptr)
        EXPECT_TRUE (completedBoxTitled (TRANS ("Backup")));
    if (archive.exists())
        EXPECT_GT (juce::ZipFile (archive).getNumEntries(), 0);
    EXPECT_TRUE (errorBubbles().isEmpty());
}

TEST_F (FileOperationsGui, RestoreAlwaysAsksUnderItsOwnTitleAndBringsTheBackupBack)
{
    const auto archive = scratch.child ("backup.zip");
    ASSERT_TRUE (vantor::runBackup (service(), archive));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return completedBoxTitled (TRANS ("Backup")); }, 120000));
    ASSERT_TRUE (waitForTheWorker());
    DialogHelper::getCurrentDialog()->exitModalState (0);
    ASSERT_TRUE (pumpMessagesUntil ([] { return DialogHelper::getCurrentDialog() == nullptr; }));

    service()->renameSlot (0, "renamed");
    auto* settings = common::AppSettingsSingleton::getInstance();
    settings->setWarnOverwriting (false);

    // "No" runs nothing.
    vantor::confirmRestore (service(), archive);
    auto* question = DialogHelper::getCurrentDialog();
    ASSERT_NE (question, nullptr);
    EXPECT_EQ (question->getName(), TRANS ("Restore"));
    EXPECT_EQ (DialogHelper::getDialogMessage (*question),
               TRANS ("All current contents will be overwritten.\r\nAre you sure you want to restore?"));
    screenshot ("file-operations-restore-question");
    question->exitModalState (0);
    ASSERT_TRUE (pumpMessagesUntil ([] { return DialogHelper::getCurrentDialog() == nullptr; }));
    EXPECT_TRUE (DialogHelper::isWorkerFree());

    // "Yes" restores.
    vantor::confirmRestore (service(), archive);
    DialogHelper::getCurrentDialog()->exitModalState (1);
    ASSERT_TRUE (pumpMessagesUntil ([&] { return completedBoxTitled (TRANS ("Restore")); }, 120000));
    EXPECT_TRUE (pumpMessagesUntil ([&] { return component->getSlotView().getRowName (0) == "first"; }));
    settings->setWarnOverwriting (true);
}

TEST (FileOperations, TheBackupIsProposedInTheDocumentsFolderWithTodaysDate)
{
    const auto home = juce::File::getSpecialLocation (juce::File::userHomeDirectory);
    const auto documents = juce::File::getSpecialLocation (juce::File::userDocumentsDirectory);
    const juce::Time date (2026, 0, 5, 23, 59); // 5 January 2026, local time
    const auto name = common::AppInfo::getProductName() + "_backup_20260105.zip";

    documents.deleteRecursively();
    EXPECT_EQ (vantor::defaultBackupFile (date), home.getChildFile (name)); // no documents folder
    ASSERT_TRUE (documents.createDirectory());
    EXPECT_EQ (vantor::defaultBackupFile (date), documents.getChildFile (name));
    EXPECT_EQ (name, "GLORVAK Sample Manager_backup_20260105.zip");
}
