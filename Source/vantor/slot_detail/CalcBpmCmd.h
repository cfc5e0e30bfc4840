#pragma once

#include "vantor/service/IVantorCommand.h"

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::slot_detail
{
/** Computes the BPM of the selected SLOT from a number of beats (hundredths) without storing it. */
class CalcBpmCmd : public IVantorCommand
{
public:
    CalcBpmCmd (service::IVantorDataMediator* serviceToUse, const int& beatsX100ToUse);

    bool execute() override;

private:
    service::IVantorDataMediator* service; // not owned; the service outlives every command
    int beatsX100;
};
} // namespace vantor::slot_detail
