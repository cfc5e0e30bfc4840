#include "vantor/slot_detail/ChangeBeatCmd.h"

#include "vantor/service/IVantorDataMediator.h"

namespace vantor::slot_detail
{
ChangeBeatCmd::ChangeBeatCmd (service::IVantorDataMediator* serviceToUse, const int& beatsX100ToUse,
                              const bool& requireBeatsToUse)
    : service (serviceToUse)
    , beatsX100 (beatsX100ToUse)
    , requireBeats (requireBeatsToUse)
{
}

bool ChangeBeatCmd::execute()
{
    return service->setBeats (beatsX100, requireBeats);
}
} // namespace vantor::slot_detail
