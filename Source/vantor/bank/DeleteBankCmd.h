#pragma once

#include "vantor/service/ServiceCommand.h"

namespace vantor::bank
{
/** Clears a BANK of the working model (the collection's removal lives in vantor::browse). */
class DeleteBankCmd : public service::ServiceCommand<&service::IVantorDataMediator::clearBank>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::bank
