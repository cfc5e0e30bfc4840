#pragma once

#include "vantor/service/IVantorCommand.h"

namespace vantor::service
{
class IVantorDataMediator;
}

namespace vantor::slot_detail
{
/** Sets the BPM (hundredths) of the selected SLOT. */
class ChangeBpmCmd : public IVantorCommand
{
public:
    ChangeBpmCmd (service::IVantorDataMediator* serviceToUse, const int& bpmX100ToUse);

    bool execute() override;

private:
    service::IVantorDataMediator* service; // not owned; the service outlives every command
    int bpmX100;
};
} // namespace vantor::slot_detail
