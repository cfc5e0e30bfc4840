#pragma once

#include "vantor/service/IVantorCommand.h"

#include <juce_core/juce_core.h>

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::bank
{
/** Renames a BANK of the working model (the collection's renaming lives in vantor::browse). */
class ChangeBankNameCmd : public IVantorCommand
{
public:
    ChangeBankNameCmd (service::IVantorDataMediator* serviceToUse, const int& bankIndexToUse,
                       const juce::String& nameToUse);

    bool execute() override;

private:
    service::IVantorDataMediator* service; // not owned; the service outlives every command
    int bankIndex;
    juce::String name;
};
} // namespace vantor::bank
