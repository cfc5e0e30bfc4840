#pragma once

#include "vantor/service/IVantorCommand.h"

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::bank
{
/** Opens the export drive dialog. */
class ShowExportDialogCmd : public IVantorCommand
{
public:
    explicit ShowExportDialogCmd (service::IVantorDataMediator* serviceToUse);

    bool execute() override;

private:
    service::IVantorDataMediator* service; // not owned; the service outlives every command
};
} // namespace vantor::bank
