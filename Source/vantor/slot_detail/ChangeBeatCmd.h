#pragma once

#include "vantor/service/ServiceCommand.h"

namespace vantor::slot_detail
{
/** Sets the beats (hundredths) of the selected SLOT; requireBeats makes zero beats an error the user is told
 * of. */
class ChangeBeatCmd : public service::ServiceCommand<&service::IVantorDataMediator::setBeats>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::slot_detail
