#pragma once

#include "common/usage/UsageLogger.h"
#include "vantor/service/ServiceCommand.h"

namespace vantor::slot_detail
{
/** Moves the range start of the selected SLOT. */
class ChangeStartTimeCmd : public service::ServiceCommand<&service::IVantorDataMediator::setStartTime,
                                                          &common::UsageLogger::countAdjustLength>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::slot_detail
