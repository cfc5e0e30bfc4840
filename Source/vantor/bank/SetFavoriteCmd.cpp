#include "vantor/bank/SetFavoriteCmd.h"

#include "vantor/service/IVantorDataMediator.h"

namespace vantor::bank
{
SetFavoriteCmd::SetFavoriteCmd (service::IVantorDataMediator* serviceToUse, const int& bankIndexToUse)
    : service (serviceToUse)
    , bankIndex (bankIndexToUse)
{
}

bool SetFavoriteCmd::execute()
{
    return service->setFavoriteBank (bankIndex);
}
} // namespace vantor::bank
