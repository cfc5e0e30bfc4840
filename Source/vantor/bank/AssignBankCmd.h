#pragma once

#include "vantor/service/IVantorCommand.h"

#include <juce_core/juce_core.h>

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::bank
{
/** Loads a stored BANK of the collection into the working model; an empty name keeps the stored one. */
class AssignBankCmd : public IVantorCommand
{
public:
    AssignBankCmd (service::IVantorDataMediator* serviceToUse, const int& collectionIndexToUse,
                   const int& bankIndexToUse, const juce::String& nameToUse);

    bool execute() override;

private:
    service::IVantorDataMediator* service; // not owned; the service outlives every command
    int collectionIndex;
    int bankIndex;
    juce::String name;
};
} // namespace vantor::bank
