#pragma once

#include "vantor/service/ServiceCommand.h"

namespace vantor::bank
{
/** Loads a stored BANK of the collection into the working model; an empty name keeps the stored one. */
class AssignBankCmd : public service::ServiceCommand<&service::IVantorDataMediator::assignCollectionBank>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::bank
