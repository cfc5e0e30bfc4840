#include "vantor/slot_detail/ChangeSlotTimeRangeCmd.h"

#include "common/usage/UsageLogger.h"
#include "vantor/service/IVantorDataMediator.h"

namespace vantor::slot_detail
{
ChangeSlotTimeRangeCmd::ChangeSlotTimeRangeCmd (service::IVantorDataMediator* serviceToUse,
                                                const double& startSecondsToUse,
                                                const double& endSecondsToUse)
    : service (serviceToUse)
    , startSeconds (startSecondsToUse)
    , endSeconds (endSecondsToUse)
{
}

bool ChangeSlotTimeRangeCmd::execute()
{
    const bool done = service->setTimeRange (startSeconds, endSeconds);

    if (done)
        common::UsageLogger::countAdjustLength();

    return done;
}
} // namespace vantor::slot_detail
