#pragma once

#include "vantor/service/IVantorCommand.h"

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::slot_detail
{
/** Switches the selected SLOT between loop and one-shot. */
class ChangeLoopModeCmd : public IVantorCommand
{
public:
    ChangeLoopModeCmd (service::IVantorDataMediator* serviceToUse, const bool& loopToUse);

    bool execute() override;

private:
    service::IVantorDataMediator* service; // not owned; the service outlives every command
    bool loop;
};
} // namespace vantor::slot_detail
