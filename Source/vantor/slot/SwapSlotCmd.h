#pragma once

#include "vantor/service/ServiceCommand.h"

namespace vantor::slot
{
/** Swaps two SLOTs of the current BANK. */
class SwapSlotCmd : public service::ServiceCommand<&service::IVantorDataMediator::swapSlots>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::slot
