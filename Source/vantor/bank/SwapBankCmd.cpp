#include "vantor/bank/SwapBankCmd.h"

#include "vantor/service/IVantorDataMediator.h"

namespace vantor::bank
{
SwapBankCmd::SwapBankCmd (service::IVantorDataMediator* serviceToUse, const int& fromIndexToUse,
                          const int& toIndexToUse)
    : service (serviceToUse)
    , fromIndex (fromIndexToUse)
    , toIndex (toIndexToUse)
{
}

bool SwapBankCmd::execute()
{
    return service->swapBanks (fromIndex, toIndex);
}
} // namespace vantor::bank
