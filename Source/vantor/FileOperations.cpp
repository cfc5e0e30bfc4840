#include "vantor/FileOperations.h"

#include "common/AppInfo.h"
#include "vantor/RunCommand.h"
#include "vantor/WholeSetCmd.h"
#include "vantor/ui/DialogHelper.h"
#include "vantor/ui/DialogHelperCommandThread.h"

#include <stdexcept>

namespace vantor
{
namespace
{
using ui::DialogHelper;

/** The worker's job: one command, then the completion box. A failure ends the job quietly: the
    service has already posted its message bubble, or the user cancelled. */
template <typename Command>
DialogHelper::CommandThread::Job makeJob (service::IVantorDataMediator* service, const juce::File& target)
{
    return [service, target] (juce::ThreadWithProgressWindow* progress)
    {
        try
        {
            runCommand<Command> (service, target, progress);
            DialogHelper::notifyCommandCompleted (progress);
        }
        catch (const std::exception&)
        {
        }
    };
}

/** Starts the worker unless one is still running, in which case the request is dropped. */
bool startWorker (const juce::String& title, DialogHelper::CommandThread::Job job,
                  const juce::String& note = {})
{
    JUCE_ASSERT_MESSAGE_THREAD
    if (!DialogHelper::isWorkerFree())
        return false;
    DialogHelper::setCurrentWorker (
        std::make_unique<DialogHelper::CommandThread> (title, std::move (job), true, note));
    return true;
}

/** Launches a chooser held by DialogHelper; its result (none when cancelled) goes to onFile. */
void launchChooser (std::unique_ptr<juce::FileChooser> chooser, int flags,
                    std::function<void (const juce::File&)> onFile)
{
    auto* launched = DialogHelper::setCurrentFileChooser (std::move (chooser));
    launched->launchAsync (flags,
                           [onFile = std::move (onFile)] (const juce::FileChooser& finished)
                           {
                               const auto file = finished.getResult();
                               if (file != juce::File())
                                   onFile (file);
                           });
}
} // namespace

void showExportDriveDialog (service::IVantorDataMediator* service)
{
    DialogHelper::showDriveSelectionDialog (TRANS ("Export"), [service] (const juce::File& root)
                                            { runExport (service, root); });
}

void showImportDriveDialog (service::IVantorDataMediator* service)
{
    DialogHelper::showDriveSelectionDialog (TRANS ("Import"), [service] (const juce::File& root)
                                            { runImport (service, root); });
}

void showBackupChooser (service::IVantorDataMediator* service)
{
    launchChooser (std::make_unique<juce::FileChooser> (
                       TRANS ("Save As"), defaultBackupFile (juce::Time::getCurrentTime()), "*.zip", true),
                   juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::canSelectFiles |
                       juce::FileBrowserComponent::warnAboutOverwriting,
                   [service] (const juce::File& zipFile) { runBackup (service, zipFile); });
}

void showRestoreChooser (service::IVantorDataMediator* service)
{
    launchChooser (std::make_unique<juce::FileChooser> (TRANS ("Open"), documentsFolder(), "*.zip", true),
                   juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles,
                   [service] (const juce::File& zipFile) { confirmRestore (service, zipFile); });
}

bool runExport (service::IVantorDataMediator* service, const juce::File& volumeRoot)
{
    return startWorker (TRANS ("Export"), makeJob<ExportCmd> (service, volumeRoot),
                        TRANS ("*Do not remove the storage device until the processing is complete."));
}

bool runImport (service::IVantorDataMediator* service, const juce::File& volumeRoot)
{
    return startWorker (TRANS ("Import"), makeJob<ImportCmd> (service, volumeRoot));
}

bool runBackup (service::IVantorDataMediator* service, const juce::File& zipFile)
{
    return startWorker (TRANS ("Backup"), makeJob<BackupCmd> (service, zipFile));
}

bool runRestore (service::IVantorDataMediator* service, const juce::File& zipFile)
{
    return startWorker (TRANS ("Restore"), makeJob<RestoreCmd> (service, zipFile));
}

void confirmRestore (service::IVantorDataMediator* service, const juce::File& zipFile)
{
    // Asked whatever "WarnOverwriting" says: a restore replaces everything at once.
    const auto message =
        TRANS ("All current contents will be overwritten.\r\nAre you sure you want to restore?");
    auto window =
        std::make_unique<juce::AlertWindow> (TRANS ("Restore"), message, juce::MessageBoxIconType::NoIcon);
    window->getProperties().set ("message", message); // what DialogHelper::getDialogMessage reads
    window->addButton (TRANS ("Yes"), 1, juce::KeyPress (juce::KeyPress::returnKey));
    window->addButton (TRANS ("No"), 0, juce::KeyPress (juce::KeyPress::escapeKey));
    auto* shown = DialogHelper::setCurrentDialog (std::move (window));
    DialogHelper::setDialogIconType (3);
    DialogHelper::enterConfirmModalState (*shown, [service, zipFile] { runRestore (service, zipFile); });
}

juce::File documentsFolder()
{
    // JUCE names ~/Documents even where it does not exist.
    const auto documents = juce::File::getSpecialLocation (juce::File::userDocumentsDirectory);
    return documents.isDirectory() ? documents
                                   : juce::File::getSpecialLocation (juce::File::userHomeDirectory);
}

juce::File defaultBackupFile (juce::Time now)
{
    return documentsFolder().getChildFile (common::AppInfo::getProductName() + "_backup_" +
                                           now.formatted ("%Y%m%d") + ".zip");
}

bool isFileOperationRunning()
{
    return !DialogHelper::isWorkerFree();
}

bool cancelRunningFileOperation()
{
    JUCE_ASSERT_MESSAGE_THREAD
    if (DialogHelper::isWorkerFree())
        return false;
    if (auto* worker = DialogHelper::getCurrentWorker())
        worker->cancel();
    return true;
}
} // namespace vantor
