#pragma once

#include "vantor/service/IVantorCommand.h"

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::slot
{
/** Moves a SLOT of the current BANK to the clipboard. */
class CutSlotCmd : public IVantorCommand
{
public:
    CutSlotCmd (service::IVantorDataMediator* serviceToUse, const int& slotIndexToUse);

    bool execute() override;

private:
    service::IVantorDataMediator* service; // not owned; the service outlives every command
    int slotIndex;
};
} // namespace vantor::slot
