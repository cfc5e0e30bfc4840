#pragma once

#include "vantor/service/ServiceCommand.h"

namespace vantor::slot_detail
{
/** Switches the selected SLOT between loop and one-shot. */
class ChangeLoopModeCmd : public service::ServiceCommand<&service::IVantorDataMediator::setLoop>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::slot_detail
