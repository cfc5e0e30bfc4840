#pragma once

#include "common/usage/UsageLogger.h"
#include "vantor/service/ServiceCommand.h"

namespace vantor::slot_detail
{
/** Sets both range edges of the selected SLOT at once. */
class ChangeSlotTimeRangeCmd : public service::ServiceCommand<&service::IVantorDataMediator::setTimeRange,
                                                              &common::UsageLogger::countAdjustLength>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::slot_detail
