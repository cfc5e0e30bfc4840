#include "vantor/bank/DeleteBankCmd.h"

#include "vantor/service/IVantorDataMediator.h"

namespace vantor::bank
{
DeleteBankCmd::DeleteBankCmd (service::IVantorDataMediator* serviceToUse, const int& bankIndexToUse)
    : service (serviceToUse)
    , bankIndex (bankIndexToUse)
{
}

bool DeleteBankCmd::execute()
{
    return service->clearBank (bankIndex);
}
} // namespace vantor::bank
