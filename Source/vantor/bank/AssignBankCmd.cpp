#include "vantor/bank/AssignBankCmd.h"

#include "vantor/service/IVantorDataMediator.h"

namespace vantor::bank
{
AssignBankCmd::AssignBankCmd (service::IVantorDataMediator* serviceToUse, const int& collectionIndexToUse,
                              const int& bankIndexToUse, const juce::String& nameToUse)
    : service (serviceToUse)
    , collectionIndex (collectionIndexToUse)
    , bankIndex (bankIndexToUse)
    , name (nameToUse)
{
}

bool AssignBankCmd::execute()
{
    return service->assignCollectionBank (collectionIndex, bankIndex, name);
}
} // namespace vantor::bank
