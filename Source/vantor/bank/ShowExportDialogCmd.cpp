#include "vantor/bank/ShowExportDialogCmd.h"

#include "vantor/service/IVantorDataMediator.h"

namespace vantor::bank
{
ShowExportDialogCmd::ShowExportDialogCmd (service::IVantorDataMediator* serviceToUse)
    : service (serviceToUse)
{
}

bool ShowExportDialogCmd::execute()
{
    return service->showExportDialog();
}
} // namespace vantor::bank
