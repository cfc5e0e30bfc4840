#pragma once

#include "vantor/service/ServiceCommand.h"

namespace vantor::bank
{
/** Renames a BANK of the working model (the collection's renaming lives in vantor::browse). */
class ChangeBankNameCmd : public service::ServiceCommand<&service::IVantorDataMediator::renameBank>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::bank
