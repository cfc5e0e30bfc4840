#include "vantor/bank/CopyBankCmd.h"

#include "vantor/service/IVantorDataMediator.h"

namespace vantor::bank
{
CopyBankCmd::CopyBankCmd (service::IVantorDataMediator* serviceToUse, const int& bankIndexToUse)
    : service (serviceToUse)
    , bankIndex (bankIndexToUse)
{
}

bool CopyBankCmd::execute()
{
    return service->copyBank (bankIndex);
}
} // namespace vantor::bank
