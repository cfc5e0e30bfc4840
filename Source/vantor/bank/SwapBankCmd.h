#pragma once

#include "vantor/service/IVantorCommand.h"

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::bank
{
/** Swaps two BANKs of the working model. */
class SwapBankCmd : public IVantorCommand
{
public:
    SwapBankCmd (service::IVantorDataMediator* serviceToUse, const int& fromIndexToUse,
                 const int& toIndexToUse);

    bool execute() override;

private:
    service::IVantorDataMediator* service; // not owned; the service outlives every command
    int fromIndex;
    int toIndex;
};
} // namespace vantor::bank
