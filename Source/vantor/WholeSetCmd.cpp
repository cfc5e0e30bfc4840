#include "vantor/WholeSetCmd.h"

#include "common/usage/UsageLogger.h"

#include <stdexcept>

namespace vantor
{
WholeSetCmd::WholeSetCmd (service::IVantorDataMediator* serviceToUse, const juce::File& targetToUse,
                          juce::ThreadWithProgressWindow* progressToUse, Operation operationToUse,
                          void (*countSuccessToUse)(), const char* failureTextToUse)
    : service (serviceToUse)
    , target (targetToUse)
    , progress (progressToUse)
    , operation (operationToUse)
    , countSuccess (countSuccessToUse)
    , failureText (failureTextToUse)
{
}

bool WholeSetCmd::execute()
{
    if (!(service->*operation) (target, progress))
        throw std::runtime_error (failureText);
    countSuccess();
    return true;
}

ExportCmd::ExportCmd (service::IVantorDataMediator* service, const juce::File& volumeRoot,
                      juce::ThreadWithProgressWindow* progress)
    : WholeSetCmd (service, volumeRoot, progress, &service::IVantorDataMediator::exportToDevice,
                   &common::UsageLogger::countExport, "Export failed.")
{
}

ImportCmd::ImportCmd (service::IVantorDataMediator* service, const juce::File& volumeRoot,
                      juce::ThreadWithProgressWindow* progress)
    : WholeSetCmd (service, volumeRoot, progress, &service::IVantorDataMediator::importFromDevice,
                   &common::UsageLogger::countImport, "Import failed.")
{
}

BackupCmd::BackupCmd (service::IVantorDataMediator* service, const juce::File& zipFile,
                      juce::ThreadWithProgressWindow* progress)
    : WholeSetCmd (service, zipFile, progress, &service::IVantorDataMediator::backup,
                   &common::UsageLogger::countBackup, "Backup failed.")
{
}

RestoreCmd::RestoreCmd (service::IVantorDataMediator* service, const juce::File& zipFile,
                        juce::ThreadWithProgressWindow* progress)
    : WholeSetCmd (service, zipFile, progress, &service::IVantorDataMediator::restore,
                   &common::UsageLogger::countRestore, "Restore failed.")
{
}
} // namespace vantor
