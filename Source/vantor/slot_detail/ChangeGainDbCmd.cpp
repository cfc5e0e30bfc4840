#include "vantor/slot_detail/ChangeGainDbCmd.h"

#include "vantor/service/IVantorDataMediator.h"

namespace vantor::slot_detail
{
ChangeGainDbCmd::ChangeGainDbCmd (service::IVantorDataMediator* serviceToUse, const float& gainDbToUse)
    : service (serviceToUse)
    , gainDb (gainDbToUse)
{
}

bool ChangeGainDbCmd::execute()
{
    return service->setGainDb (gainDb);
}
} // namespace vantor::slot_detail
