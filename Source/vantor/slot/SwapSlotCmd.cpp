#include "vantor/slot/SwapSlotCmd.h"

#include "vantor/service/IVantorDataMediator.h"

namespace vantor::slot
{
SwapSlotCmd::SwapSlotCmd (service::IVantorDataMediator* serviceToUse, const int& fromIndexToUse,
                          const int& toIndexToUse)
    : service (serviceToUse)
    , fromIndex (fromIndexToUse)
    , toIndex (toIndexToUse)
{
}

bool SwapSlotCmd::execute()
{
    return service->swapSlots (fromIndex, toIndex);
}
} // namespace vantor::slot
