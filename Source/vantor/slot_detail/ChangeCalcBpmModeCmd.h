#pragma once

#include "vantor/service/IVantorCommand.h"

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::slot_detail
{
/** Enters or leaves the BPM-calculation mode of the selected SLOT. */
class ChangeCalcBpmModeCmd : public IVantorCommand
{
public:
    ChangeCalcBpmModeCmd (service::IVantorDataMediator* serviceToUse, const bool& onToUse);

    bool execute() override;

private:
    service::IVantorDataMediator* service; // not owned; the service outlives every command
    bool on;
};
} // namespace vantor::slot_detail
