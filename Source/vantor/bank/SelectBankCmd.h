#pragma once

#include "vantor/service/IVantorCommand.h"

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::bank
{
/** Makes a BANK the current one. */
class SelectBankCmd : public IVantorCommand
{
public:
    SelectBankCmd (service::IVantorDataMediator* serviceToUse, const int& bankIndexToUse);

    bool execute() override;

private:
    service::IVantorDataMediator* service; // not owned; the service outlives every command
    int bankIndex;
};
} // namespace vantor::bank
