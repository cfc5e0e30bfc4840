#pragma once

#include "vantor/service/ServiceCommand.h"

namespace vantor::slot
{
/** Selects a SLOT of the current BANK. */
class SelectSlotCmd : public service::ServiceCommand<&service::IVantorDataMediator::selectSlot>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::slot
