#pragma once

#include "vantor/service/ISendErrorMessage.h"
#include "vantor/service/MessageCode.h"

#include <juce_core/juce_core.h>

// The length every name the user gives a BANK, a SLOT or a stored BANK keeps. Any thread.
namespace vantor::service::namelimit
{
/** In characters (code points). */
constexpr int maxLength = 50;

/** The name cut to maxLength characters; a cut is told to the user as a notice, since the name
    shown is no longer the one typed. */
inline juce::String cut (const juce::String& name, ISendErrorMessage& messages)
{
    if (name.length() <= maxLength)
        return name;

    messages.sendErrorMessage (MessageCode::textTruncated, ISendErrorMessage::notice);
    return name.substring (0, maxLength);
}
} // namespace vantor::service::namelimit
