#include "support/LoopbackHttpServer.h"

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
} // namespace

LoopbackHttpServer::LoopbackHttpServer()
    : LoopbackHttpServer (Response{})
{
}

LoopbackHttpServer::LoopbackHttpServer (Response firstResponse)
    : juce::Thread ("LoopbackHttpServer")
    , script (std::move (firstResponse))
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

void LoopbackHttpServer::setResponse (Response response)
{
    const juce::ScopedLock sl (lock);
    script = std::move (response);
}

void LoopbackHttpServer::release()
{
    released = true;
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

        std::unique_ptr<juce::StreamingSocket> connection (listener.waitForNextConnection());

        if (connection != nullptr)
            serve (*connection);
    }
}

void LoopbackHttpServer::serve (juce::StreamingSocket& connection)
{
    Request request;
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
            return;

        const auto ready = connection.waitUntilReady (true, pollMs);

        if (ready < 0)
            return;

        if (ready == 1)
        {
            char buffer[4096];
            const auto got = connection.read (buffer, (int)sizeof (buffer), false);

            if (got <= 0)
                return;

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
            connection.write (interim.toRawUTF8(), (int)interim.getNumBytesAsUTF8());
            interimSent = true;
        }

        if (bodyComplete())
            break;
    }

    Response response;

    {
        const juce::ScopedLock sl (lock);
        requests.push_back (request);
        response = script;
    }

    ++numRequests;

    while (response.holdUntilReleased && !released && !threadShouldExit())
    {
        const auto ready = connection.waitUntilReady (true, pollMs);
        char probe;

        if (ready < 0 || (ready == 1 && connection.read (&probe, 1, false) <= 0))
        {
            gaveUp = true;
            return;
        }
    }

    juce::MemoryOutputStream out;
    out << "HTTP/1.1 " << response.status << " " << response.reason << "\r\n"
        << "Content-Length: " << (int)response.body.getSize() << "\r\n"
        << "Connection: close\r\n"
        << response.extraHeaders << "\r\n";
    out << response.body;

    connection.write (out.getData(), (int)out.getDataSize());
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
