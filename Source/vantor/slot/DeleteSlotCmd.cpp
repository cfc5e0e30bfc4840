#include "vantor/slot/DeleteSlotCmd.h"

#include "vantor/service/IVantorDataMediator.h"

namespace vantor::slot
{
DeleteSlotCmd::DeleteSlotCmd (service::IVantorDataMediator* serviceToUse, const int& slotIndexToUse)
    : service (serviceToUse)
    , slotIndex (slotIndexToUse)
{
}

bool DeleteSlotCmd::execute()
{
    return service->clearSlot (slotIndex);
}
} // namespace vantor::slot
