#include "vantor/slot/ChangeSlotNameCmd.h"

#include "vantor/service/IVantorDataMediator.h"

namespace vantor::slot
{
ChangeSlotNameCmd::ChangeSlotNameCmd (service::IVantorDataMediator* serviceToUse, const int& slotIndexToUse,
                                      const juce::String& nameToUse)
    : service (serviceToUse)
    , slotIndex (slotIndexToUse)
    , name (nameToUse)
{
}

bool ChangeSlotNameCmd::execute()
{
    return service->renameSlot (slotIndex, name);
}
} // namespace vantor::slot
