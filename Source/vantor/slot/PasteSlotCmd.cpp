#include "vantor/slot/PasteSlotCmd.h"

#include "vantor/service/IVantorDataMediator.h"

namespace vantor::slot
{
PasteSlotCmd::PasteSlotCmd (service::IVantorDataMediator* serviceToUse, const int& slotIndexToUse)
    : service (serviceToUse)
    , slotIndex (slotIndexToUse)
{
}

bool PasteSlotCmd::execute()
{
    return service->pasteSlot (slotIndex);
}
} // namespace vantor::slot
