#pragma once

#include <juce_core/juce_core.h>

namespace vantor::service
{
/** What the service's clipboard holds: the kind of the clip and its source's name at the time of
    the copy. */
struct ClipboardInfo
{
    enum Kind
    {
        empty = 0,
        bank = 1,
        slot = 2
    };

    int kind = empty;
    juce::String name;

    bool operator== (const ClipboardInfo& other) const { return kind == other.kind && name == other.name; }
    bool operator!= (const ClipboardInfo& other) const { return !operator== (other); }
};
} // namespace vantor::service
