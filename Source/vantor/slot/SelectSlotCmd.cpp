#include "vantor/slot/SelectSlotCmd.h"

#include "vantor/service/IVantorDataMediator.h"

namespace vantor::slot
{
SelectSlotCmd::SelectSlotCmd (service::IVantorDataMediator* serviceToUse, const int& slotIndexToUse)
    : service (serviceToUse)
    , slotIndex (slotIndexToUse)
{
}

bool SelectSlotCmd::execute()
{
    return service->selectSlot (slotIndex);
}
} // namespace vantor::slot
