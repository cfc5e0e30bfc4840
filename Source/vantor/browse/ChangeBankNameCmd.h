#pragma once

#include "vantor/service/ServiceCommand.h"

namespace vantor::browse
{
/** Renames a stored BANK (the working model's renaming lives in vantor::bank). */
class ChangeBankNameCmd : public service::ServiceCommand<&service::IVantorDataMediator::renameCollectionBank>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::browse
