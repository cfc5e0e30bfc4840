#include "vantor/FileOperations.h"

#include "common/AppInfo.h"

namespace vantor
{
void showExportDriveDialog (service::IVantorDataMediator*) {}
void showImportDriveDialog (service::IVantorDataMediator*) {}
void showBackupChooser (service::IVantorDataMediator*) {}
void showRestoreChooser (service::IVantorDataMediator*) {}
bool runExport (service::IVantorDataMediator*, const juce::File&)
{
    return false;
}
bool runImport (service::IVantorDataMediator*, const juce::File&)
{
    return false;
}
bool runBackup (service::IVantorDataMediator*, const juce::File&)
{
    return false;
}
bool runRestore (service::IVantorDataMediator*, const juce::File&)
{
    return false;
}
void confirmRestore (service::IVantorDataMediator*, const juce::File&) {}

juce::File documentsFolder()
{
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
    return false;
}
bool cancelRunningFileOperation()
{
    return false;
}
} // namespace vantor
