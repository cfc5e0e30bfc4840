#pragma once

#include "vantor/service/IVantorCommand.h"

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::bank
{
/** Makes a BANK the FAVORITE BANK. */
class SetFavoriteCmd : public IVantorCommand
{
public:
    SetFavoriteCmd (service::IVantorDataMediator* serviceToUse, const int& bankIndexToUse);

    bool execute() override;

private:
    service::IVantorDataMediator* service; // not owned; the service outlives every command
    int bankIndex;
};
} // namespace vantor::bank
