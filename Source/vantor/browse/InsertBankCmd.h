#pragma once

#include "vantor/service/ServiceCommand.h"

namespace vantor::browse
{
/** Moves a stored BANK; to is an insert position between rows. */
class InsertBankCmd : public service::ServiceCommand<&service::IVantorDataMediator::moveCollectionBank>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::browse
