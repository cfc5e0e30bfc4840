#include "vantor/bank/SelectBankCmd.h"

#include "vantor/service/IVantorDataMediator.h"

namespace vantor::bank
{
SelectBankCmd::SelectBankCmd (service::IVantorDataMediator* serviceToUse, const int& bankIndexToUse)
    : service (serviceToUse)
    , bankIndex (bankIndexToUse)
{
}

bool SelectBankCmd::execute()
{
    return service->selectBank (bankIndex);
}
} // namespace vantor::bank
