#include "support/LoopbackHttpServer.h"

#include <algorithm>

namespace glorvak::test
{
namespace
{
constexpr int pollMs = 20;
constexpr int requestTimeoutMs = 10000;

// Position of needle in the bytes from start on, or -1.
int find (const juce::MemoryBlock& bytes, const juce::String& needle, int start = 0)
{
    const auto* data = static_cast<const char*> (bytes.getData());
    const auto size = (int)bytes.getSize();
    const auto* text = needle.toRawUTF8();
    const auto length = (int)needle.getNumBytesAsUTF8();

    for (int i = juce::jmax (0, start); i + length <= size; ++i)
        if (memcmp (data + i, text, (size_t)length) == 0)
            return i;

    return -1;
}

juce::String latin1 (const juce::MemoryBlock& bytes, int start, int end)
{
    juce::String text;
    const auto* data = static_cast<const juce::uint8*> (bytes.getData());

    for (int i = start; i < end; ++i)
        text += (juce::juce_wchar)data[i];

    return text;
}

juce::StringPairArray parseHeaderLines (const juce::StringArray& lines)
{
    juce::StringPairArray headers (true);

    for (const auto& line : lines)
        if (line.containsChar (':'))
            headers.set (line.upToFirstOccurrenceOf (":", false, false).trim(),
                         line.fromFirstOccurrenceOf (":", false, false).trim());

    return headers;
}

// Decodes a chunked body; false while it is not complete yet.
bool decodeChunked (const juce::MemoryBlock& raw, int start, juce::MemoryBlock& body)
{
    body.reset();
    auto pos = start;

    for (;;)
    {
        const auto lineEnd = find (raw, "\r\n", pos);

        if (lineEnd < 0)
            return false;

        const auto size =
            latin1 (raw, pos, lineEnd).upToFirstOccurrenceOf (";", false, false).getHexValue32();
        pos = lineEnd + 2;

        if (size == 0)
            return find (raw, "\r\n", pos) >= 0;

        if (pos + size + 2 > (int)raw.getSize())
            return false;

        body.append (static_cast<const char*> (raw.getData()) + pos, (size_t)size);
        pos += size + 2;
    }
}
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

LoopbackHttpServer::Response LoopbackHttpServer::Response::text (int status, const juce::String& body)
{
    Response response;
    response.status = status;
    response.body.append (body.toRawUTF8(), body.getNumBytesAsUTF8());
    return response;
}

juce::String LoopbackHttpServer::Request::getPath() const
{
    return target.upToFirstOccurrenceOf ("?", false, false);
}

LoopbackHttpServer::LoopbackHttpServer()
    : LoopbackHttpServer (
          []
          {
              auto notFound = Response::text (404, "not found");
              notFound.reason = "Not Found";
              return notFound;
          }())
{
}

LoopbackHttpServer::LoopbackHttpServer (Response otherPaths)
    : juce::Thread ("LoopbackHttpServer")
    , fallback (std::move (otherPaths))
{
    listening = listener.createListener (0, "127.0.0.1");

    if (listening)
        startThread();
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    signalThreadShouldExit();
    release();
    stopThread (requestTimeoutMs);
    pool.removeAllJobs (true, requestTimeoutMs);
    listener.close();
}

int LoopbackHttpServer::getPort() const
{
    return listener.getBoundPort();
}

juce::String LoopbackHttpServer::getBaseUrl() const
{
    return "http://127.0.0.1:" + juce::String (getPort());
}

juce::String LoopbackHttpServer::url (const juce::String& path) const
{
    return getBaseUrl() + path;
}

void LoopbackHttpServer::setResponse (Response otherPaths)
{
    const juce::ScopedLock sl (lock);
    fallback = std::move (otherPaths);
}

void LoopbackHttpServer::setRoute (const juce::String& path, Response response)
{
    const juce::ScopedLock sl (lock);
    routes[path] = std::move (response);
}

void LoopbackHttpServer::release()
{
    released = true;
}

int LoopbackHttpServer::getNumRequests() const
{
    const juce::ScopedLock sl (lock);
    return (int)requests.size();
}

int LoopbackHttpServer::getNumRequests (const juce::String& path) const
{
    const juce::ScopedLock sl (lock);
    return (int)std::count_if (requests.begin(), requests.end(),
                               [&] (const Request& r) { return r.getPath() == path; });
}

std::vector<LoopbackHttpServer::Request> LoopbackHttpServer::getRequests() const
{
    const juce::ScopedLock sl (lock);
    return requests;
}

int LoopbackHttpServer::findRefusingPort()
{
    juce::StreamingSocket probe;

    if (!probe.createListener (0, "127.0.0.1"))
        return 0;

    const auto port = probe.getBoundPort();
    probe.close();
    return port;
}

void LoopbackHttpServer::run()
{
    while (!threadShouldExit())
    {
        if (listener.waitUntilReady (true, pollMs) != 1)
            continue;

        std::shared_ptr<juce::StreamingSocket> connection (listener.waitForNextConnection());

        if (connection != nullptr)
            pool.addJob ([this, connection] { serve (*connection); });
    }
}

// False when the connection broke or the time ran out before the whole request was in.
bool LoopbackHttpServer::readRequest (juce::StreamingSocket& connection, Request& request)
{
    auto& raw = request.raw;
    int headEnd = -1;
    int bodyStart = -1;
    bool interimSent = false;
    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32)requestTimeoutMs;

    const auto bodyComplete = [&]
    {
        if (request.headers.containsKey ("Content-Length"))
        {
            const auto length = request.headers["Content-Length"].getIntValue();

            if ((int)raw.getSize() - bodyStart < length)
                return false;

            request.body.replaceAll (static_cast<const char*> (raw.getData()) + bodyStart, (size_t)length);
            return true;
        }

        if (request.headers["Transfer-Encoding"].equalsIgnoreCase ("chunked"))
            return decodeChunked (raw, bodyStart, request.body);

        return true;
    };

    for (;;)
    {
        if (threadShouldExit() || juce::Time::getMillisecondCounter() > deadline)
            return false;

        const auto ready = connection.waitUntilReady (true, pollMs);

        if (ready < 0)
            return false;

        if (ready == 1)
        {
            char buffer[4096];
            const auto got = connection.read (buffer, (int)sizeof (buffer), false);

            if (got <= 0)
                return false;

            raw.append (buffer, (size_t)got);
        }

        if (headEnd < 0)
        {
            headEnd = find (raw, "\r\n\r\n");

            if (headEnd < 0)
                continue;

            bodyStart = headEnd + 4;
            auto lines = juce::StringArray::fromLines (latin1 (raw, 0, headEnd));
            const auto requestLine = juce::StringArray::fromTokens (lines[0], " ", "");
            request.method = requestLine[0];
            request.target = requestLine[1];
            lines.remove (0);
            request.headers = parseHeaderLines (lines);
        }

        // curl holds back a larger body until it hears that the server wants it.
        if (!interimSent && request.headers["Expect"].equalsIgnoreCase ("100-continue"))
        {
            const juce::String interim ("HTTP/1.1 100 Continue\r\n\r\n");
            writeAll (connection, interim.toRawUTF8(), interim.getNumBytesAsUTF8());
            interimSent = true;
        }

        if (bodyComplete())
            return true;
    }
}

// False when the client closed the connection first.
bool LoopbackHttpServer::waitForRelease (juce::StreamingSocket& connection)
{
    while (!released && !threadShouldExit())
    {
        const auto ready = connection.waitUntilReady (true, pollMs);
        char probe;

        if (ready < 0 || (ready == 1 && connection.read (&probe, 1, false) <= 0))
        {
            gaveUp = true;
            return false;
        }
    }

    return true;
}

void LoopbackHttpServer::serve (juce::StreamingSocket& connection)
{
    Request request;

    if (!readRequest (connection, request))
        return;

    Response response;

    {
        const juce::ScopedLock sl (lock);
        const auto route = routes.find (request.getPath());
        response = route != routes.end() ? route->second : fallback;
        requests.push_back (std::move (request));
    }

    using Hold = Response::Hold;

    if (response.hold == Hold::beforeAnswer && !waitForRelease (connection))
        return;

    const auto bodySize = response.body.getSize();
    const auto length = response.announcedLength >= 0 ? response.announcedLength : (juce::int64)bodySize;
    juce::MemoryOutputStream out;
    out << "HTTP/1.1 " << response.status << " " << response.reason << "\r\n";

    if (response.sendContentLength)
        out << "Content-Length: " << juce::String (length) << "\r\n";

    out << "Connection: close\r\n" << response.extraHeaders << "\r\n";

    const auto firstPart = response.hold == Hold::midBody ? bodySize / 2 : bodySize;
    out.write (response.body.getData(), firstPart);
    writeAll (connection, out.getData(), out.getDataSize());

    if (firstPart < bodySize && waitForRelease (connection))
        writeAll (connection, static_cast<const char*> (response.body.getData()) + firstPart,
                  bodySize - firstPart);
}

std::vector<LoopbackHttpServer::FormPart> LoopbackHttpServer::parseMultipart (const Request& request)
{
    std::vector<FormPart> parts;
    const auto contentType = request.headers["Content-Type"];

    if (!contentType.startsWithIgnoreCase ("multipart/form-data"))
        return parts;

    const auto boundary = "--" + contentType.fromFirstOccurrenceOf ("boundary=", false, true).unquoted();
    const auto& body = request.body;
    auto pos = find (body, boundary);

    while (pos >= 0)
    {
        const auto partStart = pos + (int)boundary.getNumBytesAsUTF8();

        // "--" right after the boundary closes the body.
        if (find (body, "--", partStart) == partStart)
            break;

        const auto headStart = partStart + 2; // past CR LF
        const auto headEnd = find (body, "\r\n\r\n", headStart);
        const auto next = find (body, "\r\n" + boundary, headStart);

        if (headEnd < 0 || next < 0 || headEnd > next)
            break;

        FormPart part;
        part.headers = parseHeaderLines (juce::StringArray::fromLines (latin1 (body, headStart, headEnd)));
        part.content.append (static_cast<const char*> (body.getData()) + headEnd + 4,
                             (size_t)(next - headEnd - 4));
        parts.push_back (std::move (part));

        pos = next + 2;
    }

    return parts;
}
} // namespace glorvak::test
