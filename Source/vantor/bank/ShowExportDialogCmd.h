#pragma once

#include "vantor/service/ServiceCommand.h"

namespace vantor::bank
{
/** Opens the export drive dialog. */
class ShowExportDialogCmd : public service::ServiceCommand<&service::IVantorDataMediator::showExportDialog>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::bank
