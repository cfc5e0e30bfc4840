#include "support/UpdateServer.h"

namespace glorvak::test
{
namespace
{
// A socket may take less than it is given; the rest waits until it can take more.
void writeAll (juce::StreamingSocket& connection, const void* data, size_t size)
{
    auto* bytes = static_cast<const char*> (data);

    while (size > 0)
    {
        const auto written = connection.write (bytes, (int)juce::jmin (size, (size_t)65536));

        if (written < 0)
            return;

        bytes += written;
        size -= (size_t)written;

        if (size > 0 && connection.waitUntilReady (false, 1000) < 0)
            return;
    }
}
} // namespace

UpdateServer::Response UpdateServer::Response::text (int status, const juce::String& body)
{
    Response response;
    response.status = status;
    response.body.append (body.toRawUTF8(), body.getNumBytesAsUTF8());
    return response;
}

UpdateServer::UpdateServer()
    : juce::Thread ("UpdateServer")
{
    listener.createListener (0, "127.0.0.1");
    startThread();
}

UpdateServer::~UpdateServer()
{
    signalThreadShouldExit();
    released = true;
    listener.close(); // ends the waiting accept
    stopThread (5000);
    pool.removeAllJobs (true, 5000);
}

juce::String UpdateServer::url (const juce::String& path) const
{
    return "http://127.0.0.1:" + juce::String (listener.getBoundPort()) + path;
}

void UpdateServer::setRoute (const juce::String& path, Response response)
{
    const juce::ScopedLock sl (lock);
    routes[path] = std::move (response);
}

int UpdateServer::getNumRequests (const juce::String& path) const
{
    const juce::ScopedLock sl (lock);
    return counts.count (path) != 0 ? counts.at (path) : 0;
}

void UpdateServer::release()
{
    released = true;
}

void UpdateServer::run()
{
    while (!threadShouldExit())
    {
        std::shared_ptr<juce::StreamingSocket> connection (listener.waitForNextConnection());

        if (connection == nullptr || threadShouldExit())
            break;

        pool.addJob ([this, connection] { serve (*connection); });
    }
}

void UpdateServer::serve (juce::StreamingSocket& connection)
{
    juce::MemoryBlock head;
    const auto deadline = juce::Time::getMillisecondCounter() + 5000;

    while (juce::Time::getMillisecondCounter() < deadline && !threadShouldExit())
    {
        if (connection.waitUntilReady (true, 50) != 1)
            continue;

        char buffer[4096];
        const auto got = connection.read (buffer, (int)sizeof (buffer), false);

        if (got <= 0)
            return;

        head.append (buffer, (size_t)got);

        if (head.toString().contains ("\r\n\r\n"))
            break;
    }

    const auto requestLine = head.toString().upToFirstOccurrenceOf ("\r\n", false, false);
    const auto path = requestLine.fromFirstOccurrenceOf (" ", false, false)
                          .upToFirstOccurrenceOf (" ", false, false)
                          .upToFirstOccurrenceOf ("?", false, false);
    Response response = Response::text (404, "not found");

    {
        const juce::ScopedLock sl (lock);
        ++counts[path];

        if (routes.count (path) != 0)
            response = routes[path];
    }

    const auto length =
        response.announcedLength >= 0 ? response.announcedLength : (juce::int64)response.body.getSize();
    juce::MemoryOutputStream out;
    out << "HTTP/1.1 " << response.status << " Status\r\n";

    if (response.sendContentLength)
        out << "Content-Length: " << juce::String (length) << "\r\n";

    out << "Connection: close\r\n" << response.extraHeaders << "\r\n";

    const auto firstPart = response.holdUntilReleased ? response.body.getSize() / 2 : response.body.getSize();
    out.write (response.body.getData(), firstPart);
    writeAll (connection, out.getData(), out.getDataSize());

    if (response.holdUntilReleased)
    {
        while (!released && !threadShouldExit())
        {
            // The client closing the connection ends the wait too.
            char probe;
            const auto ready = connection.waitUntilReady (true, 20);

            if (ready < 0 || (ready == 1 && connection.read (&probe, 1, false) <= 0))
                return;
        }

        writeAll (connection, static_cast<const char*> (response.body.getData()) + firstPart,
                  response.body.getSize() - firstPart);
    }
}
} // namespace glorvak::test
