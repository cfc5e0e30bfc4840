#pragma once

#include "vantor/service/ServiceCommand.h"

namespace vantor::slot_detail
{
/** Sets the gain of the selected SLOT (the pads' per-SLOT twin lives in vantor::slot). */
class ChangeGainDbCmd : public service::ServiceCommand<&service::IVantorDataMediator::setGainDb>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::slot_detail
