#pragma once

#include "vantor/service/IVantorCommand.h"

#include <juce_core/juce_core.h>

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::browse
{
/** Stores a BANK of the working model in the collection: appended (collection index -1) under
    its own name or a given one, or over the stored BANK at a collection index. */
class AddBankCmd : public IVantorCommand
{
public:
    /** Appends under name (an empty name keeps the BANK's own). */
    AddBankCmd (service::IVantorDataMediator* serviceToUse, const int& bankIndexToUse,
                const juce::String& nameToUse);
    /** Overwrites the stored BANK at collectionIndex. */
    AddBankCmd (service::IVantorDataMediator* serviceToUse, const int& bankIndexToUse,
                const int& collectionIndexToUse);
    /** Appends under the BANK's own name. */
    AddBankCmd (service::IVantorDataMediator* serviceToUse, const int& bankIndexToUse);

    bool execute() override;

    static constexpr int append = -1;

private:
    service::IVantorDataMediator* service; // not owned; the service outlives every command
    int bankIndex;
    int collectionIndex;
    juce::String name;
};
} // namespace vantor::browse
