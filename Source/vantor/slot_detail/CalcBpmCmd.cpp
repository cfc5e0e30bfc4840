#include "vantor/slot_detail/CalcBpmCmd.h"

#include "common/usage/UsageLogger.h"
#include "vantor/service/IVantorDataMediator.h"

namespace vantor::slot_detail
{
CalcBpmCmd::CalcBpmCmd (service::IVantorDataMediator* serviceToUse, const int& beatsX100ToUse)
    : service (serviceToUse)
    , beatsX100 (beatsX100ToUse)
{
}

bool CalcBpmCmd::execute()
{
    const bool done = service->calculateBpm (beatsX100);

    if (done)
        common::UsageLogger::countBpmCalc();

    return done;
}
} // namespace vantor::slot_detail
