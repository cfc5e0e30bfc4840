#pragma once

#include "vantor/service/ServiceCommand.h"

namespace vantor::slot
{
/** Copies a SLOT of the current BANK to the clipboard. */
class CopySlotCmd : public service::ServiceCommand<&service::IVantorDataMediator::copySlot>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::slot
