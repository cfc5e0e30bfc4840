#include "vantor/browse/ChangeBankNameCmd.h"

#include "vantor/service/IVantorDataMediator.h"

namespace vantor::browse
{
ChangeBankNameCmd::ChangeBankNameCmd (service::IVantorDataMediator* serviceToUse, const int& indexToUse,
                                      const juce::String& nameToUse)
    : service (serviceToUse)
    , index (indexToUse)
    , name (nameToUse)
{
}

bool ChangeBankNameCmd::execute()
{
    return service->renameCollectionBank (index, name);
}
} // namespace vantor::browse
