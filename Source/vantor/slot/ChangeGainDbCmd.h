#pragma once

#include "vantor/service/IVantorCommand.h"

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::slot
{
/** Sets the gain of one SLOT of the current BANK (the detail editor's twin lives in vantor::slot_detail). */
class ChangeGainDbCmd : public IVantorCommand
{
public:
    ChangeGainDbCmd (service::IVantorDataMediator* serviceToUse, const int& slotIndexToUse,
                     const float& gainDbToUse);

    bool execute() override;

private:
    service::IVantorDataMediator* service; // not owned; the service outlives every command
    int slotIndex;
    float gainDb;
};
} // namespace vantor::slot
