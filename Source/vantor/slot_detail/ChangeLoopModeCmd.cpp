#include "vantor/slot_detail/ChangeLoopModeCmd.h"

#include "vantor/service/IVantorDataMediator.h"

namespace vantor::slot_detail
{
ChangeLoopModeCmd::ChangeLoopModeCmd (service::IVantorDataMediator* serviceToUse, const bool& loopToUse)
    : service (serviceToUse)
    , loop (loopToUse)
{
}

bool ChangeLoopModeCmd::execute()
{
    return service->setLoop (loop);
}
} // namespace vantor::slot_detail
