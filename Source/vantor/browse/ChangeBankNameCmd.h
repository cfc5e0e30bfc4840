#pragma once

#include "vantor/service/IVantorCommand.h"

#include <juce_core/juce_core.h>

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::browse
{
/** Renames a stored BANK (the working model's renaming lives in vantor::bank). */
class ChangeBankNameCmd : public IVantorCommand
{
public:
    ChangeBankNameCmd (service::IVantorDataMediator* serviceToUse, const int& indexToUse,
                       const juce::String& nameToUse);

    bool execute() override;

private:
    service::IVantorDataMediator* service; // not owned; the service outlives every command
    int index;
    juce::String name;
};
} // namespace vantor::browse
