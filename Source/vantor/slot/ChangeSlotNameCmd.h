#pragma once

#include "vantor/service/ServiceCommand.h"

namespace vantor::slot
{
/** Renames a SLOT of the current BANK. */
class ChangeSlotNameCmd : public service::ServiceCommand<&service::IVantorDataMediator::renameSlot>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::slot
