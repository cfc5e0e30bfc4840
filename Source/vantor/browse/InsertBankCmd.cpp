#include "vantor/browse/InsertBankCmd.h"

#include "vantor/service/IVantorDataMediator.h"

namespace vantor::browse
{
InsertBankCmd::InsertBankCmd (service::IVantorDataMediator* serviceToUse, const int& fromToUse,
                              const int& toToUse)
    : service (serviceToUse)
    , from (fromToUse)
    , to (toToUse)
{
}

bool InsertBankCmd::execute()
{
    return service->moveCollectionBank (from, to);
}
} // namespace vantor::browse
