#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor
{
/** Serves the File menu's whole-set operations: Export (1), Import (2), Backup (3) and
    Restore (4). Each opens its launcher, which asks for the drive or the file and starts the
    worker; the target keeps no state of its own and is always enabled.
    Threads: message thread only. */
class VantorCommandTarget : public juce::ApplicationCommandTarget
{
public:
    enum CommandId
    {
        exportCommand = 1,
        importCommand = 2,
        backupCommand = 3,
        restoreCommand = 4,
    };

    /** Registers its commands with the manager. Both outlive the target. */
    VantorCommandTarget (juce::ApplicationCommandManager& manager, service::IVantorDataMediator* service);

    juce::ApplicationCommandTarget* getNextCommandTarget() override;
    void getAllCommands (juce::Array<juce::CommandID>& commands) override;
    void getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result) override;
    bool perform (const InvocationInfo& info) override;

private:
    juce::ApplicationCommandManager& commandManager;
    service::IVantorDataMediator* service;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VantorCommandTarget)
};
} // namespace vantor
