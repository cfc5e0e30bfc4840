#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor
{
/** The File menu's whole-set operations: the launchers ask for a drive or a file, the runners
    start the worker with its progress window. One operation runs at a time: a request while the
    worker is busy is dropped. The worker, the dialogs and the file choosers belong to the
    toolkit's DialogHelper. Threads: message thread only; the jobs run on the worker. */

/** Asks for a removable drive, then exports to it. */
void showExportDriveDialog (service::IVantorDataMediator* service);
/** Asks for a removable drive, then imports from it. */
void showImportDriveDialog (service::IVantorDataMediator* service);
/** Asks where to save the backup (proposing defaultBackupFile), then backs up. */
void showBackupChooser (service::IVantorDataMediator* service);
/** Asks for a backup archive, then for confirmation, then restores. */
void showRestoreChooser (service::IVantorDataMediator* service);

/** False when dropped because an operation runs. */
bool runExport (service::IVantorDataMediator* service, const juce::File& volumeRoot);
bool runImport (service::IVantorDataMediator* service, const juce::File& volumeRoot);
bool runBackup (service::IVantorDataMediator* service, const juce::File& zipFile);
bool runRestore (service::IVantorDataMediator* service, const juce::File& zipFile);
/** The restore always asks first, whatever the overwrite setting says. */
void confirmRestore (service::IVantorDataMediator* service, const juce::File& zipFile);

/** "<product>_backup_YYYYMMDD.zip" (local date) in the documents folder. */
juce::File defaultBackupFile (juce::Time now);
/** The user's documents folder, or the home folder when there is none. */
juce::File documentsFolder();

/** True while the worker of a file operation has not ended. */
bool isFileOperationRunning();
/** When an operation runs: cancels it as its Cancel button does and returns true; the caller
    waits for isFileOperationRunning() to become false. */
bool cancelRunningFileOperation();
} // namespace vantor
