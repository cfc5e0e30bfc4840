#include "vantor/slot_detail/ChangeStartTimeCmd.h"

#include "common/usage/UsageLogger.h"
#include "vantor/service/IVantorDataMediator.h"

namespace vantor::slot_detail
{
ChangeStartTimeCmd::ChangeStartTimeCmd (service::IVantorDataMediator* serviceToUse,
                                        const double& secondsToUse)
    : service (serviceToUse)
    , seconds (secondsToUse)
{
}

bool ChangeStartTimeCmd::execute()
{
    const bool done = service->setStartTime (seconds);

    if (done)
        common::UsageLogger::countAdjustLength();

    return done;
}
} // namespace vantor::slot_detail
