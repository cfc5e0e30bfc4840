#pragma once

#include "vantor/service/ServiceCommand.h"

namespace vantor::slot
{
/** Clears a SLOT of the current BANK. */
class DeleteSlotCmd : public service::ServiceCommand<&service::IVantorDataMediator::clearSlot>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::slot
