#pragma once

#include "vantor/service/IVantorCommand.h"

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::bank
{
/** Copies a BANK to the clipboard. */
class CopyBankCmd : public IVantorCommand
{
public:
    CopyBankCmd (service::IVantorDataMediator* serviceToUse, const int& bankIndexToUse);

    bool execute() override;

private:
    service::IVantorDataMediator* service; // not owned; the service outlives every command
    int bankIndex;
};
} // namespace vantor::bank
