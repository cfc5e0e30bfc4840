#pragma once

#include "vantor/service/IVantorCommand.h"

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::slot
{
/** Clears a SLOT of the current BANK. */
class DeleteSlotCmd : public IVantorCommand
{
public:
    DeleteSlotCmd (service::IVantorDataMediator* serviceToUse, const int& slotIndexToUse);

    bool execute() override;

private:
    service::IVantorDataMediator* service; // not owned; the service outlives every command
    int slotIndex;
};
} // namespace vantor::slot
