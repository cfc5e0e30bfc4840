#include "vantor/bank/ChangeBankNameCmd.h"

#include "vantor/service/IVantorDataMediator.h"

namespace vantor::bank
{
ChangeBankNameCmd::ChangeBankNameCmd (service::IVantorDataMediator* serviceToUse, const int& bankIndexToUse,
                                      const juce::String& nameToUse)
    : service (serviceToUse)
    , bankIndex (bankIndexToUse)
    , name (nameToUse)
{
}

bool ChangeBankNameCmd::execute()
{
    return service->renameBank (bankIndex, name);
}
} // namespace vantor::bank
