#pragma once

#include "vantor/service/ServiceCommand.h"

namespace vantor::browse
{
/** Stores a BANK of the working model in the collection: appended (collection index -1) under
    its own name or a given one, or over the stored BANK at a collection index. */
class AddBankCmd : public service::ServiceCommand<&service::IVantorDataMediator::saveBankToCollection>
{
public:
    static constexpr int append = -1;

    /** Appends under name (an empty name keeps the BANK's own). */
    AddBankCmd (service::IVantorDataMediator* serviceToUse, const int& bankIndexToUse,
                const juce::String& nameToUse)
        : ServiceCommandOf (serviceToUse, bankIndexToUse, append, nameToUse)
    {
    }

    /** Overwrites the stored BANK at collectionIndex. */
    AddBankCmd (service::IVantorDataMediator* serviceToUse, const int& bankIndexToUse,
                const int& collectionIndexToUse)
        : ServiceCommandOf (serviceToUse, bankIndexToUse, collectionIndexToUse, {})
    {
    }

    /** Appends under the BANK's own name. */
    AddBankCmd (service::IVantorDataMediator* serviceToUse, const int& bankIndexToUse)
        : ServiceCommandOf (serviceToUse, bankIndexToUse, append, {})
    {
    }
};
} // namespace vantor::browse
