#pragma once

#include "vantor/service/ServiceCommand.h"

namespace vantor::slot
{
/** Moves a SLOT of the current BANK to the clipboard. */
class CutSlotCmd : public service::ServiceCommand<&service::IVantorDataMediator::cutSlot>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::slot
