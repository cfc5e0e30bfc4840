#pragma once

#include "vantor/service/IVantorCommand.h"

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::browse
{
/** Moves a stored BANK; to is an insert position between rows. */
class InsertBankCmd : public IVantorCommand
{
public:
    InsertBankCmd (service::IVantorDataMediator* serviceToUse, const int& fromToUse, const int& toToUse);

    bool execute() override;

private:
    service::IVantorDataMediator* service; // not owned; the service outlives every command
    int from;
    int to;
};
} // namespace vantor::browse
