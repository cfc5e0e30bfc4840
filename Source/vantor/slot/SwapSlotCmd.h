#pragma once

#include "vantor/service/IVantorCommand.h"

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::slot
{
/** Swaps two SLOTs of the current BANK. */
class SwapSlotCmd : public IVantorCommand
{
public:
    SwapSlotCmd (service::IVantorDataMediator* serviceToUse, const int& fromIndexToUse,
                 const int& toIndexToUse);

    bool execute() override;

private:
    service::IVantorDataMediator* service; // not owned; the service outlives every command
    int fromIndex;
    int toIndex;
};
} // namespace vantor::slot
