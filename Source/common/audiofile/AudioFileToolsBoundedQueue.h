#pragma once

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
template <typename Item>
class BoundedQueue
{
public:
    explicit BoundedQueue (size_t maxItems)
        : capacity (maxItems > 0 ? maxItems : 1)
    {
    }

    // Waits for room; false (the item not taken) once the queue is cancelled or finished.
    bool push (Item&& item)
    {
        std::unique_lock<std::mutex> lock (mutex);
        changed.wait (lock, [this] { return cancelled || finished || items.size() < capacity; });

        if (cancelled || finished)
            return false;

        items.push_back (std::move (item));
        changed.notify_all();
        return true;
    }

    // Waits for an item; false once the queue is cancelled, or finished and empty.
    bool pop (Item& item)
    {
        std::unique_lock<std::mutex> lock (mutex);
        changed.wait (lock, [this] { return cancelled || finished || !items.empty(); });

        if (cancelled || items.empty())
            return false;

        item = std::move (items.front());
        items.pop_front();
        changed.notify_all();
        return true;
    }

    // No more items will come; the consumer still takes those already queued.
    void finish()
    {
        const std::lock_guard<std::mutex> lock (mutex);
        finished = true;
        changed.notify_all();
    }

    // Both sides give up: waiting pushes and pops return false, queued items are dropped.
    void cancel()
    {
        const std::lock_guard<std::mutex> lock (mutex);
        cancelled = true;
        items.clear();
        changed.notify_all();
    }

private:
    const size_t capacity;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Item> items;
    bool finished = false;
    bool cancelled = false;
};
} // namespace common::AudioFileToolsImpl
