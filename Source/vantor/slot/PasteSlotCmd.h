#pragma once

#include "vantor/service/ServiceCommand.h"

namespace vantor::slot
{
/** Pastes the clipboard SLOT into a SLOT of the current BANK. */
class PasteSlotCmd : public service::ServiceCommand<&service::IVantorDataMediator::pasteSlot>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::slot
