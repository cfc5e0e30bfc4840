#pragma once

#include <juce_events/juce_events.h>

#include <array>

namespace vantor
{
/** Registers an observer the way every view model does: on the message thread, never null, never
    twice; a newly added observer, and only it, is then sent the current state by sendState. */
template <typename Observer, typename SendState>
void addObserverOnce (juce::ListenerList<Observer>& listeners, Observer* observer, SendState&& sendState)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (observer == nullptr || listeners.contains (observer))
        return;

    listeners.add (observer);
    sendState (*observer);
}

/** True for 0..count-1; what the service hands in unchecked is ignored otherwise. */
inline bool isRowIndex (int index, int count) noexcept
{
    return (unsigned int)index < (unsigned int)count;
}

/** Refills the rows from the list in order with makeRow, stopping at the first missing entry: the
    rows before it keep their new values, the rest their old ones. True when every row was refilled,
    which is when the observers may be told. */
template <typename Row, size_t count, typename List, typename MakeRow>
bool refillRows (std::array<Row, count>& rows, const List& list, MakeRow&& makeRow)
{
    for (int i = 0; i < (int)count; ++i)
    {
        if (i >= list.size() || list[i] == nullptr)
            return false;

        rows[(size_t)i] = makeRow (*list[i]);
    }

    return true;
}
} // namespace vantor
