#include "vantor/bank/PasteBankCmd.h"

#include "vantor/service/IVantorDataMediator.h"

namespace vantor::bank
{
PasteBankCmd::PasteBankCmd (service::IVantorDataMediator* serviceToUse, const int& bankIndexToUse,
                            const juce::String& nameToUse)
    : service (serviceToUse)
    , bankIndex (bankIndexToUse)
    , name (nameToUse)
{
}

bool PasteBankCmd::execute()
{
    return service->pasteBank (bankIndex, name);
}
} // namespace vantor::bank
