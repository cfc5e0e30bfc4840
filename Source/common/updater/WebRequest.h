#pragma once

#include <juce_core/juce_core.h>

#include <functional>
#include <memory>
#include <optional>

namespace common::updater
{
/** One GET of a web address into a stream, bounded in time and size, for the updater's threads.

    The transfer runs on the thread that calls readInto; it gives up when no connection is made
    within the time-out or the data stalls as long, and ends at once when the given thread is
    asked to exit (Cancel, shut-down). Redirects are not followed: only a 200 answer counts.
    Threads: readInto on the worker thread; the exit signal may come from any thread. */
class WebRequest : private juce::Thread::Listener
{
public:
    enum class Outcome
    {
        ok,
        cannotConnect,
        badStatus, // anything but 200
        tooLarge,
        incomplete, // the connection broke, or fewer bytes came than announced
        writeFailed,
        cancelled
    };

    /** thread: the worker whose exit signal cancels the request; may be null. */
    WebRequest (const juce::URL& address, int timeoutMs, juce::int64 maxBytes, juce::Thread* thread);
    ~WebRequest() override;

    /** progress gets (bytes so far, total length or -1 when the server does not say). */
    Outcome readInto (juce::OutputStream& out,
                      const std::function<void (juce::int64, juce::int64)>& progress = {});

    int getStatusCode() const noexcept { return statusCode; }

    /** A local file's content (up to maxBytes) or a web address's body as text; nothing when the
        transfer is not an Outcome::ok or the body is neither UTF-8 nor UTF-16 with its mark. */
    static std::optional<juce::String> readText (const juce::URL& address, int timeoutMs,
                                                 juce::int64 maxBytes, juce::Thread* thread);

private:
    void exitSignalSent() override;

    juce::Thread* const thread;
    const juce::int64 maxBytes;
    juce::CriticalSection streamLock; // the exit signal cancels the stream from another thread
    std::unique_ptr<juce::WebInputStream> stream;
    int statusCode = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WebRequest)
};
} // namespace common::updater
