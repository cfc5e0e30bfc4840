#include "vantor/slot_detail/ChangeBpmCmd.h"

#include "vantor/service/IVantorDataMediator.h"

namespace vantor::slot_detail
{
ChangeBpmCmd::ChangeBpmCmd (service::IVantorDataMediator* serviceToUse, const int& bpmX100ToUse)
    : service (serviceToUse)
    , bpmX100 (bpmX100ToUse)
{
}

bool ChangeBpmCmd::execute()
{
    return service->setBpm (bpmX100);
}
} // namespace vantor::slot_detail
