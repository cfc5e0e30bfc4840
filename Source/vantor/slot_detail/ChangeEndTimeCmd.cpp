#include "vantor/slot_detail/ChangeEndTimeCmd.h"

#include "common/usage/UsageLogger.h"
#include "vantor/service/IVantorDataMediator.h"

namespace vantor::slot_detail
{
ChangeEndTimeCmd::ChangeEndTimeCmd (service::IVantorDataMediator* serviceToUse, const double& secondsToUse)
    : service (serviceToUse)
    , seconds (secondsToUse)
{
}

bool ChangeEndTimeCmd::execute()
{
    const bool done = service->setEndTime (seconds);

    if (done)
        common::UsageLogger::countAdjustLength();

    return done;
}
} // namespace vantor::slot_detail
