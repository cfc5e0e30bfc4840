#include "vantor/VantorCommandTarget.h"

#include "vantor/FileOperations.h"

namespace vantor
{
VantorCommandTarget::VantorCommandTarget (juce::ApplicationCommandManager& manager,
                                          service::IVantorDataMediator* serviceToUse)
    : commandManager (manager)
    , service (serviceToUse)
{
    commandManager.registerAllCommandsForTarget (this);
}

juce::ApplicationCommandTarget* VantorCommandTarget::getNextCommandTarget()
{
    return nullptr;
}

void VantorCommandTarget::getAllCommands (juce::Array<juce::CommandID>& commands)
{
    commands.addArray ({exportCommand, importCommand, backupCommand, restoreCommand});
}

void VantorCommandTarget::getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result)
{
    // The category names the menu and is never translated.
    switch (commandID)
    {
        case exportCommand:
            result.setInfo (TRANS ("Export"), TRANS (juce::String()), "File", 0);
            break;
        case importCommand:
            result.setInfo (TRANS ("Import"), TRANS (juce::String()), "File", 0);
            break;
        case backupCommand:
            result.setInfo (TRANS ("Backup"), TRANS (juce::String()), "File", 0);
            break;
        case restoreCommand:
            result.setInfo (TRANS ("Restore"), TRANS (juce::String()), "File", 0);
            break;
        default:
            break;
    }
}

bool VantorCommandTarget::perform (const InvocationInfo& info)
{
    switch (info.commandID)
    {
        case exportCommand:
            showExportDriveDialog (service);
            return true;
        case importCommand:
            showImportDriveDialog (service);
            return true;
        case backupCommand:
            showBackupChooser (service);
            return true;
        case restoreCommand:
            showRestoreChooser (service);
            return true;
        default:
            return false;
    }
}
} // namespace vantor
