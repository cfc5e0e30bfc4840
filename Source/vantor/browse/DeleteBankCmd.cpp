#include "vantor/browse/DeleteBankCmd.h"

#include "vantor/service/IVantorDataMediator.h"

namespace vantor::browse
{
DeleteBankCmd::DeleteBankCmd (service::IVantorDataMediator* serviceToUse, const int& indexToUse)
    : service (serviceToUse)
    , index (indexToUse)
{
}

bool DeleteBankCmd::execute()
{
    return service->deleteCollectionBank (index);
}
} // namespace vantor::browse
