#pragma once

#include "vantor/service/ServiceCommand.h"

namespace vantor::slot
{
/** Sets the gain of one SLOT of the current BANK (the detail editor's twin lives in vantor::slot_detail). */
class ChangeGainDbCmd : public service::ServiceCommand<&service::IVantorDataMediator::setSlotGainDb>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::slot
