#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <thread>

namespace quelbix
{
// A ring of fixed-size pages mapped around the current read position and filled by a background
// thread, so that a reader on the audio read-ahead thread finds its bytes in memory. A source
// shorter than the ring (pages x page size) ends up wholly in memory.
//
// Threads: the owner's thread (one at a time) calls read, setPosition and the getters; the
// thread "PageBufferedInputStream" fetches pages from the source, which only it touches after
// construction.
// Guarding: the window (ring start, window first/last) is written only by the filling thread and
// only under windowLock; read copies out of the ring under the same lock. The run of present
// pages and the presence flags are atomics: the filling thread fills a slot outside the run
// without the lock and then publishes it by extending the run; read waits until the run covers
// its pages. The position is atomic; the wake event is the only signal from reader to thread, the
// page event the only one back. Nobody sleeps a fixed time: read waits for the page event, and
// the destructor joins the thread, which ends after the fetch in progress (it is never killed).
class PageBufferedInputStream : public juce::InputStream
{
public:
    static constexpr int defaultPageSize = 0x3000;
    static constexpr int defaultReadAheadPages = 50;
    static constexpr int defaultKeepBehindPages = 50;

    // Takes ownership of source and starts the filling thread, which sleeps until the first read.
    PageBufferedInputStream (std::unique_ptr<juce::InputStream> source, int pageSize = defaultPageSize,
                             int readAheadPages = defaultReadAheadPages,
                             int keepBehindPages = defaultKeepBehindPages);
    ~PageBufferedInputStream() override;

    juce::int64 getTotalLength() override { return totalLength; }
    juce::int64 getPosition() override { return position.load(); }
    // Negative positions become 0; positions past the end are kept and read nothing.
    bool setPosition (juce::int64 newPosition) override;
    bool isExhausted() override { return position.load() >= totalLength; }
    // Waits (without a time-out) until the filling thread has brought in the pages. One read ends
    // within the read-ahead when the source does not fit in the ring: longer requests are
    // shortened to what fits there.
    int read (void* destBuffer, int maxBytesToRead) override;

    // -1 when the source does not fit in the ring; otherwise the share of its pages in memory.
    int getBufferedPercent() const;
    bool doesWholeFileFit() const noexcept { return wholeFileFits; }
    int getPageSize() const noexcept { return pageSize; }

private:
    void run();
    // One step of the filling thread; false when nothing is left to fetch.
    bool fetchStep();
    void moveWindow (int currentPage);
    int slotOf (int page) const noexcept;
    bool runCovers (int firstPage, int lastPage) const noexcept;

    const int pageSize;
    const int readAheadPages;
    const int keepBehindPages;
    const int ringPages;
    std::unique_ptr<juce::InputStream> source;
    const juce::int64 totalLength;
    const int lastPage;
    const bool wholeFileFits;

    std::atomic<juce::int64> position{0};
    juce::HeapBlock<char> ring;
    std::unique_ptr<std::atomic<bool>[]> present;

    // Window: written by the filling thread under windowLock.
    int ringStart = 0;
    int windowFirst = 0;
    int windowLast = 0;

    std::atomic<int> runFirst{-1};
    std::atomic<int> runLast{-1};

    juce::WaitableEvent wakeEvent;
    juce::WaitableEvent pageEvent; // a page was published
    std::atomic<bool> exitRequested{false};
    juce::SpinLock windowLock;

    std::thread filler; // last: it starts once everything above is set up

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PageBufferedInputStream)
};
} // namespace quelbix
