#pragma once

#include "vantor/service/ServiceCommand.h"

namespace vantor::bank
{
/** Makes a BANK the current one. */
class SelectBankCmd : public service::ServiceCommand<&service::IVantorDataMediator::selectBank>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::bank
