#pragma once

#include "vantor/service/ServiceCommand.h"

namespace vantor::slot_detail
{
/** Enters or leaves the BPM-calculation mode of the selected SLOT. */
class ChangeCalcBpmModeCmd : public service::ServiceCommand<&service::IVantorDataMediator::setCalcBpmMode>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::slot_detail
