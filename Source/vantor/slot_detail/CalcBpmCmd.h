#pragma once

#include "common/usage/UsageLogger.h"
#include "vantor/service/ServiceCommand.h"

namespace vantor::slot_detail
{
/** Computes the BPM of the selected SLOT from a number of beats (hundredths) without storing it. */
class CalcBpmCmd : public service::ServiceCommand<&service::IVantorDataMediator::calculateBpm,
                                                  &common::UsageLogger::countBpmCalc>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::slot_detail
