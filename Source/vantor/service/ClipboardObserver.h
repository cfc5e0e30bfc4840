#pragma once

#include "vantor/service/ClipboardInfo.h"

#include <functional>

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

/** How a view joins (attach true) and leaves (false) the service's clipboard observers, without
    knowing the service. */
using ClipboardLink = std::function<void (ClipboardObserver* observer, bool attach)>;
} // namespace vantor::service
