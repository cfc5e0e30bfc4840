#include "vantor/slot/CutSlotCmd.h"

#include "vantor/service/IVantorDataMediator.h"

namespace vantor::slot
{
CutSlotCmd::CutSlotCmd (service::IVantorDataMediator* serviceToUse, const int& slotIndexToUse)
    : service (serviceToUse)
    , slotIndex (slotIndexToUse)
{
}

bool CutSlotCmd::execute()
{
    return service->cutSlot (slotIndex);
}
} // namespace vantor::slot
