#pragma once

#include "vantor/service/ServiceCommand.h"

namespace vantor::slot_detail
{
/** Sets the BPM (hundredths) of the selected SLOT. */
class ChangeBpmCmd : public service::ServiceCommand<&service::IVantorDataMediator::setBpm>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::slot_detail
