#pragma once

#include "vantor/service/ServiceCommand.h"

namespace vantor::browse
{
/** Removes a stored BANK from the collection (the working model's clearing lives in vantor::bank). */
class DeleteBankCmd : public service::ServiceCommand<&service::IVantorDataMediator::deleteCollectionBank>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::browse
