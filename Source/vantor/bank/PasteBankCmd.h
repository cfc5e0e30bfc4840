#pragma once

#include "vantor/service/IVantorCommand.h"

#include <juce_core/juce_core.h>

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::bank
{
/** Pastes the clipboard BANK over a BANK; an empty name keeps the copied one. */
class PasteBankCmd : public IVantorCommand
{
public:
    PasteBankCmd (service::IVantorDataMediator* serviceToUse, const int& bankIndexToUse,
                  const juce::String& nameToUse);

    bool execute() override;

private:
    service::IVantorDataMediator* service; // not owned; the service outlives every command
    int bankIndex;
    juce::String name;
};
} // namespace vantor::bank
