#pragma once

#include "vantor/service/IVantorCommand.h"

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::slot_detail
{
/** Sets the gain of the selected SLOT (the pads' per-SLOT twin lives in vantor::slot). */
class ChangeGainDbCmd : public IVantorCommand
{
public:
    ChangeGainDbCmd (service::IVantorDataMediator* serviceToUse, const float& gainDbToUse);

    bool execute() override;

private:
    service::IVantorDataMediator* service; // not owned; the service outlives every command
    float gainDb;
};
} // namespace vantor::slot_detail
