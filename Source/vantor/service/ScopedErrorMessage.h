#pragma once

#include "vantor/service/ISendErrorMessage.h"

#include <juce_core/juce_core.h>

namespace vantor::service
{
/** Sends the error code an operation failed with once the operation has finished its work, so a
    message never reaches the user while the views still show the state before the failure. On
    the thread of the operation; the target accepts any thread. */
class ScopedErrorMessage
{
public:
    explicit ScopedErrorMessage (ISendErrorMessage& targetToUse)
        : target (targetToUse)
    {
    }

    ~ScopedErrorMessage()
    {
        if (code != 0)
            target.sendErrorMessage (code, ISendErrorMessage::error);
    }

    /** Keeps the code to send and returns false, the operation's result. */
    bool fail (int errorCode)
    {
        code = errorCode;
        return false;
    }

private:
    ISendErrorMessage& target;
    int code = 0;

    JUCE_DECLARE_NON_COPYABLE (ScopedErrorMessage)
};
} // namespace vantor::service
