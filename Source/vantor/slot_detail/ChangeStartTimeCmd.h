#pragma once

#include "vantor/service/IVantorCommand.h"

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::slot_detail
{
/** Moves the range start of the selected SLOT. */
class ChangeStartTimeCmd : public IVantorCommand
{
public:
    ChangeStartTimeCmd (service::IVantorDataMediator* serviceToUse, const double& secondsToUse);

    bool execute() override;

private:
    service::IVantorDataMediator* service; // not owned; the service outlives every command
    double seconds;
};
} // namespace vantor::slot_detail
