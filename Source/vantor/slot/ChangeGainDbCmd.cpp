#include "vantor/slot/ChangeGainDbCmd.h"

#include "vantor/service/IVantorDataMediator.h"

namespace vantor::slot
{
ChangeGainDbCmd::ChangeGainDbCmd (service::IVantorDataMediator* serviceToUse, const int& slotIndexToUse,
                                  const float& gainDbToUse)
    : service (serviceToUse)
    , slotIndex (slotIndexToUse)
    , gainDb (gainDbToUse)
{
}

bool ChangeGainDbCmd::execute()
{
    return service->setSlotGainDb (slotIndex, gainDb);
}
} // namespace vantor::slot
