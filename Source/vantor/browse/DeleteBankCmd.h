#pragma once

#include "vantor/service/IVantorCommand.h"

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::browse
{
/** Removes a stored BANK from the collection (the working model's clearing lives in vantor::bank). */
class DeleteBankCmd : public IVantorCommand
{
public:
    DeleteBankCmd (service::IVantorDataMediator* serviceToUse, const int& indexToUse);

    bool execute() override;

private:
    service::IVantorDataMediator* service; // not owned; the service outlives every command
    int index;
};
} // namespace vantor::browse
