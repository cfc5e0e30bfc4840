#include "vantor/slot/AssignAudioCmd.h"

#include "vantor/service/IVantorDataMediator.h"

namespace vantor::slot
{
AssignAudioCmd::AssignAudioCmd (service::IVantorDataMediator* serviceToUse, const int& slotIndexToUse,
                                const juce::File& fileToUse)
    : service (serviceToUse)
    , slotIndex (slotIndexToUse)
    , file (fileToUse)
{
}

bool AssignAudioCmd::execute()
{
    return service->assignAudio (slotIndex, file);
}
} // namespace vantor::slot
