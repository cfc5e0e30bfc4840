#pragma once

#include "vantor/service/IVantorCommand.h"

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::slot_detail
{
/** Sets the beats (hundredths) of the selected SLOT; requireBeats makes zero beats an error the user is told
 * of. */
class ChangeBeatCmd : public IVantorCommand
{
public:
    ChangeBeatCmd (service::IVantorDataMediator* serviceToUse, const int& beatsX100ToUse,
                   const bool& requireBeatsToUse);

    bool execute() override;

private:
    service::IVantorDataMediator* service; // not owned; the service outlives every command
    int beatsX100;
    bool requireBeats;
};
} // namespace vantor::slot_detail
