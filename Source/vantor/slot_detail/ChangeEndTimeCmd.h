#pragma once

#include "common/usage/UsageLogger.h"
#include "vantor/service/ServiceCommand.h"

namespace vantor::slot_detail
{
/** Moves the range end of the selected SLOT. */
class ChangeEndTimeCmd : public service::ServiceCommand<&service::IVantorDataMediator::setEndTime,
                                                        &common::UsageLogger::countAdjustLength>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::slot_detail
