#pragma once

#include "vantor/service/ServiceCommand.h"

namespace vantor::slot
{
/** Converts an audio file into a SLOT of the current BANK. */
class AssignAudioCmd : public service::ServiceCommand<&service::IVantorDataMediator::assignAudio>
{
public:
    using ServiceCommandOf::ServiceCommandOf;
};
} // namespace vantor::slot
