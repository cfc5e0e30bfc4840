#include "common/updater/WebRequest.h"

#include "common/SafeJson.h"

namespace common::updater
{
WebRequest::WebRequest (const juce::URL& address, int timeoutMs, juce::int64 maxBytesToRead,
                        juce::Thread* threadToWatch)
    : thread (threadToWatch)
    , maxBytes (maxBytesToRead)
{
    stream = std::make_unique<juce::WebInputStream> (address, false);
    stream->withConnectionTimeout (timeoutMs).withNumRedirectsToFollow (0);

    if (thread != nullptr)
        thread->addListener (this);
}

WebRequest::~WebRequest()
{
    if (thread != nullptr)
        thread->removeListener (this);

    const juce::ScopedLock sl (streamLock);
    stream.reset();
}

void WebRequest::exitSignalSent()
{
    const juce::ScopedLock sl (streamLock);

    if (stream != nullptr)
        stream->cancel();
}

WebRequest::Outcome WebRequest::readInto (juce::OutputStream& out,
                                          const std::function<void (juce::int64, juce::int64)>& progress)
{
    const auto shouldStop = [this] { return thread != nullptr && thread->threadShouldExit(); };

    if (shouldStop())
        return Outcome::cancelled;

    // A signal that came before this point is seen above; one that comes later cancels the stream.
    const bool connected = stream->connect (nullptr);

    if (shouldStop())
        return Outcome::cancelled;

    statusCode = stream->getStatusCode();

    if (!connected || statusCode == 0)
        return Outcome::cannotConnect;

    if (statusCode != 200)
        return Outcome::badStatus;

    const auto total = stream->getTotalLength();

    if (total > maxBytes)
        return Outcome::tooLarge;

    juce::int64 done = 0;
    juce::HeapBlock<char> buffer (16384);

    if (progress)
        progress (done, total);

    for (;;)
    {
        const auto numRead = stream->read (buffer, 16384);

        if (shouldStop())
            return Outcome::cancelled;

        if (numRead <= 0)
            break;

        done += numRead;

        if (done > maxBytes)
            return Outcome::tooLarge;

        if (!out.write (buffer, (size_t)numRead))
            return Outcome::writeFailed;

        if (progress)
            progress (done, total);
    }

    if (stream->isError() || (total >= 0 && done != total))
        return Outcome::incomplete;

    return Outcome::ok;
}

std::optional<juce::String> WebRequest::readText (const juce::URL& address, int timeoutMs,
                                                  juce::int64 maxBytes, juce::Thread* thread)
{
    juce::MemoryOutputStream text;

    if (address.isLocalFile())
    {
        const auto file = address.getLocalFile();

        if (!file.existsAsFile() || file.getSize() > maxBytes)
            return std::nullopt;

        juce::FileInputStream in (file);

        if (!in.openedOk() || text.writeFromInputStream (in, maxBytes) < 0)
            return std::nullopt;
    }
    else if (WebRequest (address, timeoutMs, maxBytes, thread).readInto (text) != Outcome::ok)
    {
        return std::nullopt;
    }

    // An error page in another encoding, or damaged bytes, is no document: never a string.
    return SafeJson::textFromBytes (text.getData(), text.getDataSize());
}
} // namespace common::updater
