#pragma once

#include "vantor/service/ServiceCommand.h"

namespace vantor::bank
{
/** Copies a BANK to the clipboard. */
class CopyBankCmd : public service::ServiceCommand<&service::IVantorDataMediator::copyBank>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::bank
