#include "vantor/browse/AddBankCmd.h"

#include "vantor/service/IVantorDataMediator.h"

namespace vantor::browse
{
AddBankCmd::AddBankCmd (service::IVantorDataMediator* serviceToUse, const int& bankIndexToUse,
                        const juce::String& nameToUse)
    : service (serviceToUse)
    , bankIndex (bankIndexToUse)
    , collectionIndex (append)
    , name (nameToUse)
{
}

AddBankCmd::AddBankCmd (service::IVantorDataMediator* serviceToUse, const int& bankIndexToUse,
                        const int& collectionIndexToUse)
    : service (serviceToUse)
    , bankIndex (bankIndexToUse)
    , collectionIndex (collectionIndexToUse)
{
}

AddBankCmd::AddBankCmd (service::IVantorDataMediator* serviceToUse, const int& bankIndexToUse)
    : service (serviceToUse)
    , bankIndex (bankIndexToUse)
    , collectionIndex (append)
{
}

bool AddBankCmd::execute()
{
    return service->saveBankToCollection (bankIndex, collectionIndex, name);
}
} // namespace vantor::browse
