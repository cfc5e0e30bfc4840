#pragma once

#include "vantor/service/ServiceCommand.h"

namespace vantor::bank
{
/** Pastes the clipboard BANK over a BANK; an empty name keeps the copied one. */
class PasteBankCmd : public service::ServiceCommand<&service::IVantorDataMediator::pasteBank>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::bank
