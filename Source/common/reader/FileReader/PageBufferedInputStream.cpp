#include "common/reader/FileReader/PageBufferedInputStream.h"

#include <cstring>

namespace quelbix
{
namespace
{
// The window lock is taken briefly on both sides: one try, twenty more, then yield between tries.
class SpinGuard
{
public:
    explicit SpinGuard (juce::SpinLock& lockToTake)
        : lock (lockToTake)
    {
        for (int attempt = 0; attempt < 21; ++attempt)
            if (lock.tryEnter())
                return;

        while (!lock.tryEnter())
            juce::Thread::yield();
    }

    ~SpinGuard() { lock.exit(); }

private:
    juce::SpinLock& lock;

    JUCE_DECLARE_NON_COPYABLE (SpinGuard)
};

// How long read waits for a page before it wakes the filling thread once more.
constexpr int pageWaitSafetyMs = 100;

int positiveModulo (int value, int divisor) noexcept
{
    const int remainder = value % divisor;
    return remainder < 0 ? remainder + divisor : remainder;
}
} // namespace

PageBufferedInputStream::PageBufferedInputStream (std::unique_ptr<juce::InputStream> sourceToUse,
                                                  int pageSizeToUse, int readAheadPagesToUse,
                                                  int keepBehindPagesToUse)
    : pageSize (juce::jmax (1, pageSizeToUse))
    , readAheadPages (juce::jmax (2, readAheadPagesToUse)) // a read also needs the page after it
    , keepBehindPages (juce::jmax (0, keepBehindPagesToUse))
    , ringPages (readAheadPages + keepBehindPages)
    , source (std::move (sourceToUse))
    , totalLength (source != nullptr ? juce::jmax ((juce::int64)0, source->getTotalLength()) : 0)
    , lastPage ((int)juce::jmin (totalLength / pageSize, (juce::int64)std::numeric_limits<int>::max() - 1))
    , wholeFileFits (totalLength < (juce::int64)ringPages * pageSize)
    // Not cleared: a slot is read only once it is filled, and clearing 1.2 MB touches every page
    // of it at once, which costs several milliseconds on the opening thread before the first read.
    , ring ((size_t)ringPages * (size_t)pageSize)
    , present (new std::atomic<bool>[(size_t)ringPages])
    , windowLast (ringPages - 1)
{
    jassert (source != nullptr);

    for (int slot = 0; slot < ringPages; ++slot)
        present[(size_t)slot] = false;

    if (source != nullptr)
        position = juce::jmax ((juce::int64)0, source->getPosition());

    filler = std::thread (
        [this]
        {
            juce::Thread::setCurrentThreadName ("PageBufferedInputStream");
            run();
        });
}

PageBufferedInputStream::~PageBufferedInputStream()
{
    exitRequested = true;
    wakeEvent.signal();

    // A fetch in progress always ends; then the thread sees the request.
    filler.join();
}

bool PageBufferedInputStream::setPosition (juce::int64 newPosition)
{
    position = juce::jmax ((juce::int64)0, newPosition);
    return true;
}

int PageBufferedInputStream::slotOf (int page) const noexcept
{
    return positiveModulo (ringStart + page - windowFirst, ringPages);
}

bool PageBufferedInputStream::runCovers (int firstPage, int lastPageWanted) const noexcept
{
    const int first = runFirst.load();
    const int last = runLast.load();
    return first >= 0 && first <= firstPage && lastPageWanted <= last;
}

int PageBufferedInputStream::read (void* destBuffer, int maxBytesToRead)
{
    const auto start = position.load();

    if (start >= totalLength)
    {
        position = totalLength;
        return 0;
    }

    if (maxBytesToRead <= 0 || destBuffer == nullptr)
        return 0;

    auto count = (juce::int64)juce::jmin ((juce::int64)maxBytesToRead, totalLength - start);
    const int firstPage = (int)(start / pageSize);

    // Only the read-ahead pages from the first page on can be in the window together: a longer
    // request would wait for ever, so it is shortened (callers loop over short reads anyway).
    if (!wholeFileFits)
        count = juce::jmin (count, ((juce::int64)firstPage + readAheadPages) * pageSize - 1 - start);

    // The page of the byte after the last one read, kept within the file.
    const int lastPageWanted = (int)(juce::jmin (start + count, totalLength - 1) / pageSize);

    bool woken = false;

    for (;;)
    {
        if (runCovers (firstPage, lastPageWanted))
        {
            SpinGuard guard (windowLock);

            // The window may have moved between the check and the lock; the run is rebuilt under
            // the lock whenever it does, so checking again here is enough.
            if (runCovers (firstPage, lastPageWanted))
            {
                const int offset = (int)(start % pageSize);
                const int firstSlot = slotOf (firstPage);
                const auto ringBytes = (juce::int64)ringPages * pageSize;
                const auto from = (juce::int64)firstSlot * pageSize + offset;
                const auto firstPart = juce::jmin (count, ringBytes - from);
                auto* out = static_cast<char*> (destBuffer);

                memcpy (out, ring.get() + from, (size_t)firstPart);

                if (count > firstPart)
                    memcpy (out + firstPart, ring.get(), (size_t)(count - firstPart));

                position = start + count;
                break;
            }
        }

        // Every page the thread publishes signals the page event: look again then. The wake
        // signal is repeated now and then only as a safety net; the wait normally ends with the
        // next page.
        if (!woken)
        {
            wakeEvent.signal();
            woken = true;
        }

        if (!pageEvent.wait (pageWaitSafetyMs))
            woken = false;
    }

    if (!wholeFileFits)
        wakeEvent.signal();

    return (int)count;
}

int PageBufferedInputStream::getBufferedPercent() const
{
    if (!wholeFileFits)
        return -1;

    if (runFirst.load() == 0 && runLast.load() == lastPage)
        return 100;

    int presentPages = 0;

    for (int slot = 0; slot <= lastPage; ++slot)
        if (present[(size_t)slot].load())
            ++presentPages;

    return presentPages * 100 / (lastPage + 1);
}

void PageBufferedInputStream::run()
{
    while (!exitRequested)
    {
        wakeEvent.wait (-1);
        wakeEvent.reset();

        while (!exitRequested && fetchStep())
            pageEvent.signal();
    }
}

void PageBufferedInputStream::moveWindow (int currentPage)
{
    if (wholeFileFits)
        return;

    int newFirst = 0;
    int newLast = ringPages - 1;

    if (currentPage >= keepBehindPages)
    {
        newLast = currentPage + readAheadPages - 1;
        newFirst = currentPage - keepBehindPages;

        if (newLast > lastPage)
        {
            newLast = lastPage;
            newFirst = lastPage - ringPages + 1;
        }
    }

    const int shift = newFirst - windowFirst;

    if (shift == 0)
        return;

    if (std::abs (shift) >= ringPages)
    {
        for (int slot = 0; slot < ringPages; ++slot)
            present[(size_t)slot] = false;

        ringStart = 0;
        windowFirst = newFirst;
        windowLast = newLast;
        runFirst = -1;
        runLast = -1;
        return;
    }

    // The slots of the pages that leave the window (mapped as before the move) are freed for
    // the pages that enter it.
    if (shift < 0)
    {
        // Moving back: the pages above newLast leave at the top.
        for (int page = newLast + 1; page <= windowLast; ++page)
            present[(size_t)slotOf (page)] = false;
    }
    else
    {
        // Moving on: the pages below newFirst leave at the bottom.
        for (int page = windowFirst; page < newFirst; ++page)
            present[(size_t)slotOf (page)] = false;
    }

    ringStart = positiveModulo (ringStart + shift, ringPages);
    windowFirst = newFirst;
    windowLast = newLast;

    // The run of present pages around the current page, within the new window.
    if (currentPage < windowFirst || currentPage > windowLast ||
        !present[(size_t)slotOf (currentPage)].load())
    {
        runFirst = -1;
        runLast = -1;
        return;
    }

    int first = currentPage;
    while (first - 1 >= windowFirst && present[(size_t)slotOf (first - 1)].load())
        --first;

    int last = currentPage;
    while (last + 1 <= windowLast && present[(size_t)slotOf (last + 1)].load())
        ++last;

    runFirst = first;
    runLast = last;
}

bool PageBufferedInputStream::fetchStep()
{
    // Positions past the end (setPosition accepts them) fetch the last pages, never a page that
    // the window cannot map.
    const int currentPage = (int)juce::jmin (position.load() / pageSize, (juce::int64)lastPage);

    {
        SpinGuard guard (windowLock);
        moveWindow (currentPage);
    }

    const int first = runFirst.load();
    const int last = runLast.load();
    const bool inRun = first >= 0 && first <= currentPage && currentPage <= last;

    int forward = 0;
    int backward = 0;

    if (inRun)
    {
        if (last >= lastPage || last >= windowLast)
            forward = 2;
        else if (last - currentPage >= readAheadPages / 2)
            forward = 1;

        if (first <= 0 || first <= windowFirst)
            backward = 2;
        else if (currentPage - first >= keepBehindPages / 2)
            backward = 1;
    }

    if (forward == 2 && backward == 2)
        return false;

    const bool goBackward = forward > backward;
    int page = currentPage;

    if (inRun)
        page = goBackward ? juce::jmax (first - 1, 0) : juce::jmin (last + 1, lastPage);

    const int slot = slotOf (page);

    if (!present[(size_t)slot].load())
    {
        // The slot lies outside the run, so no reader copies from it while it fills.
        source->setPosition ((juce::int64)page * pageSize);
        auto* dest = ring.get() + (size_t)slot * (size_t)pageSize;
        int filled = 0;

        while (filled < pageSize)
        {
            const int got = source->read (dest + filled, pageSize - filled);

            if (got <= 0)
                break;

            filled += got;
        }

        // What the source could not give (past its end, or after a failed read) reads as zeros,
        // never as the page that held the slot before.
        if (filled < pageSize)
            std::memset (dest + filled, 0, (size_t)(pageSize - filled));

        present[(size_t)slot] = true;
    }

    if (!inRun)
    {
        // Invalidate first: a reader must never see the new first page paired with the old last.
        runLast = -1;
        runFirst = page;
        runLast = page;
    }
    else if (goBackward)
    {
        runFirst = page;
    }
    else
    {
        runLast = page;
    }

    return true;
}
} // namespace quelbix
