#pragma once

#include "vantor/service/ServiceCommand.h"

namespace vantor::bank
{
/** Swaps two BANKs of the working model. */
class SwapBankCmd : public service::ServiceCommand<&service::IVantorDataMediator::swapBanks>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::bank
