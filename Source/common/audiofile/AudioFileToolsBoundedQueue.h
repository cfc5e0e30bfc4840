#pragma once

#include <juce_core/juce_core.h>

#include <condition_variable>
#include <deque>
#include <mutex>

namespace common::AudioFileToolsImpl
{
// A queue of at most `capacity` items between one producing and one consuming thread of the
// conversion. A full queue makes the producer wait, an empty one the consumer; both wait on a
// condition, never by polling. finish() ends the stream after the items already in it; cancel()
// ends it at once, and every wait then returns false, so a stage never waits for a stage that has
// stopped.
//
// Waking a thread is dear, so a side is woken only when it waits: the consumer as soon as an
// item is there, the producer of a full queue only once the consumer has taken half of it (the
// consumer takes on until the queue is empty before it waits, so the producer is always woken
// by then), so that a fast producer runs in bursts rather than once per item.
template <typename Item>
class BoundedQueue
{
public:
    explicit BoundedQueue (size_t maxItems)
        : capacity (maxItems > 0 ? maxItems : 1)
        , refillBelow (capacity - juce::jmax ((size_t)1, capacity / 2))
    {
    }

    // Waits for room; false (the item not taken) once the queue is cancelled or finished.
    bool push (Item&& item)
    {
        std::unique_lock<std::mutex> lock (mutex);

        while (!cancelled && !finished && items.size() >= capacity)
        {
            producerWaits = true;
            hasRoom.wait (lock);
        }

        producerWaits = false;

        if (cancelled || finished)
            return false;

        items.push_back (std::move (item));
        const bool wake = consumerWaits;
        consumerWaits = false;
        lock.unlock();

        if (wake)
            hasItems.notify_one();

        return true;
    }

    // Waits for an item; false once the queue is cancelled, or finished and empty.
    bool pop (Item& item)
    {
        std::unique_lock<std::mutex> lock (mutex);

        while (!cancelled && !finished && items.empty())
        {
            consumerWaits = true;
            hasItems.wait (lock);
        }

        consumerWaits = false;

        if (cancelled || items.empty())
            return false;

        item = std::move (items.front());
        items.pop_front();
        const bool wake = producerWaits && items.size() <= refillBelow;

        if (wake)
            producerWaits = false;

        lock.unlock();

        if (wake)
            hasRoom.notify_one();

        return true;
    }

    // No more items will come; the consumer still takes those already queued.
    void finish()
    {
        const std::lock_guard<std::mutex> lock (mutex);
        finished = true;
        hasItems.notify_all();
        hasRoom.notify_all();
    }

    // Both sides give up: waiting pushes and pops return false, queued items are dropped.
    void cancel()
    {
        const std::lock_guard<std::mutex> lock (mutex);
        cancelled = true;
        items.clear();
        hasItems.notify_all();
        hasRoom.notify_all();
    }

private:
    const size_t capacity;
    const size_t refillBelow; // the producer is woken at this many items or fewer
    std::mutex mutex;
    std::condition_variable hasItems, hasRoom;
    std::deque<Item> items;
    bool consumerWaits = false, producerWaits = false;
    bool finished = false;
    bool cancelled = false;
};
} // namespace common::AudioFileToolsImpl
