#pragma once

#include "vantor/service/IVantorCommand.h"

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::slot_detail
{
/** Moves the range end of the selected SLOT. */
class ChangeEndTimeCmd : public IVantorCommand
{
public:
    ChangeEndTimeCmd (service::IVantorDataMediator* serviceToUse, const double& secondsToUse);

    bool execute() override;

private:
    service::IVantorDataMediator* service; // not owned; the service outlives every command
    double seconds;
};
} // namespace vantor::slot_detail
