#include "vantor/slot_detail/ChangeCalcBpmModeCmd.h"

#include "vantor/service/IVantorDataMediator.h"

namespace vantor::slot_detail
{
ChangeCalcBpmModeCmd::ChangeCalcBpmModeCmd (service::IVantorDataMediator* serviceToUse, const bool& onToUse)
    : service (serviceToUse)
    , on (onToUse)
{
}

bool ChangeCalcBpmModeCmd::execute()
{
    return service->setCalcBpmMode (on);
}
} // namespace vantor::slot_detail
