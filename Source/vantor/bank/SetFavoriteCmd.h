#pragma once

#include "vantor/service/ServiceCommand.h"

namespace vantor::bank
{
/** Makes a BANK the FAVORITE BANK. */
class SetFavoriteCmd : public service::ServiceCommand<&service::IVantorDataMediator::setFavoriteBank>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::bank
