#pragma once

#include "vantor/service/IVantorCommand.h"

#include <juce_core/juce_core.h>

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::slot
{
/** Converts an audio file into a SLOT of the current BANK. */
class AssignAudioCmd : public IVantorCommand
{
public:
    AssignAudioCmd (service::IVantorDataMediator* serviceToUse, const int& slotIndexToUse,
                    const juce::File& fileToUse);

    bool execute() override;

private:
    service::IVantorDataMediator* service; // not owned; the service outlives every command
    int slotIndex;
    juce::File file;
};
} // namespace vantor::slot
