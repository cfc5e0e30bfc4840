#pragma once

#include "vantor/service/IVantorCommand.h"
#include "vantor/service/IVantorDataMediator.h"

namespace vantor
{
/** A whole-set operation of the File menu run on the worker thread: calls one service operation
    with the drive root or the archive and the progress window; on failure throws
    std::runtime_error (never shown: the service has already posted its message, or the user
    cancelled), on success counts the operation in the usage statistics. */
class WholeSetCmd : public IVantorCommand
{
public:
    using Operation = bool (service::IVantorDataMediator::*) (const juce::File&,
                                                              juce::ThreadWithProgressWindow*);

    WholeSetCmd (service::IVantorDataMediator* service, const juce::File& target,
                 juce::ThreadWithProgressWindow* progress, Operation operation, void (*countSuccess)(),
                 const char* failureText);

    /** True, or throws. */
    bool execute() override;

private:
    service::IVantorDataMediator* service; // the service outlives every command
    juce::File target;
    juce::ThreadWithProgressWindow* progress;
    Operation operation;
    void (*countSuccess)();
    const char* failureText;
};

/** Writes the 15 BANKs to the unit's folder on a drive. */
class ExportCmd : public WholeSetCmd
{
public:
    ExportCmd (service::IVantorDataMediator* service, const juce::File& volumeRoot,
               juce::ThreadWithProgressWindow* progress);
};

/** Reads the working model back from the unit's folder on a drive. */
class ImportCmd : public WholeSetCmd
{
public:
    ImportCmd (service::IVantorDataMediator* service, const juce::File& volumeRoot,
               juce::ThreadWithProgressWindow* progress);
};

/** Writes the model and the collection with their WAVs into one zip. */
class BackupCmd : public WholeSetCmd
{
public:
    BackupCmd (service::IVantorDataMediator* service, const juce::File& zipFile,
               juce::ThreadWithProgressWindow* progress);
};

/** Replaces the model and the collection from a backup zip. */
class RestoreCmd : public WholeSetCmd
{
public:
    RestoreCmd (service::IVantorDataMediator* service, const juce::File& zipFile,
                juce::ThreadWithProgressWindow* progress);
};
} // namespace vantor
