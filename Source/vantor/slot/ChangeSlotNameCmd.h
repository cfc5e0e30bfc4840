#pragma once

#include "vantor/service/IVantorCommand.h"

#include <juce_core/juce_core.h>

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::slot
{
/** Renames a SLOT of the current BANK. */
class ChangeSlotNameCmd : public IVantorCommand
{
public:
    ChangeSlotNameCmd (service::IVantorDataMediator* serviceToUse, const int& slotIndexToUse,
                       const juce::String& nameToUse);

    bool execute() override;

private:
    service::IVantorDataMediator* service; // not owned; the service outlives every command
    int slotIndex;
    juce::String name;
};
} // namespace vantor::slot
