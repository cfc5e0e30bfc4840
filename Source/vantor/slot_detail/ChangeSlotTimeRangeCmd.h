#pragma once

#include "vantor/service/IVantorCommand.h"

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::slot_detail
{
/** Sets both range edges of the selected SLOT at once. */
class ChangeSlotTimeRangeCmd : public IVantorCommand
{
public:
    ChangeSlotTimeRangeCmd (service::IVantorDataMediator* serviceToUse, const double& startSecondsToUse,
                            const double& endSecondsToUse);

    bool execute() override;

private:
    service::IVantorDataMediator* service; // not owned; the service outlives every command
    double startSeconds;
    double endSeconds;
};
} // namespace vantor::slot_detail
