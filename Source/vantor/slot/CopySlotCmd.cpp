#include "vantor/slot/CopySlotCmd.h"

#include "vantor/service/IVantorDataMediator.h"

namespace vantor::slot
{
CopySlotCmd::CopySlotCmd (service::IVantorDataMediator* serviceToUse, const int& slotIndexToUse)
    : service (serviceToUse)
    , slotIndex (slotIndexToUse)
{
}

bool CopySlotCmd::execute()
{
    return service->copySlot (slotIndex);
}
} // namespace vantor::slot
