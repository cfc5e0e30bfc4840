#pragma once

#include "vantor/service/IVantorCommand.h"

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::bank
{
/** Clears a BANK of the working model (the collection's removal lives in vantor::browse). */
class DeleteBankCmd : public IVantorCommand
{
public:
    DeleteBankCmd (service::IVantorDataMediator* serviceToUse, const int& bankIndexToUse);

    bool execute() override;

private:
    service::IVantorDataMediator* service; // not owned; the service outlives every command
    int bankIndex;
};
} // namespace vantor::bank
