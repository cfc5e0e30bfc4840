#pragma once

#include "vantor/service/ClipboardInfo.h"

namespace vantor::service
{
/** Told on the message thread whenever a copy or cut stored a new clip, and once at
    registration. */
class ClipboardObserver
{
public:
    virtual ~ClipboardObserver() = default;
    virtual void clipboardChanged (const ClipboardInfo& info) = 0;
};
} // namespace vantor::service
